#!/usr/bin/env python3
"""Checks the Markdown files in git against the repository and the build.

  tools/checkdocs.py SOURCE_DIR [BUILD_DIR CTEST]

Fails (exit 1, one line per fault) when
- a backticked word that names a repository path does not exist: a word with
  a slash whose first part is a folder in git, taken from the repository's
  root or the Markdown file's folder (`tools/test.sh`, `e2e/tvoutrun.*`,
  `cmake/`), or a bare file name with a source extension, found anywhere
  (`testmain.h`, `test_*.cpp`); `*` matches within one part of the path.
  Words with <, >, $, =, {, }, |, quotes or parentheses are commands or
  placeholders and are left alone, as are absolute paths and ./ paths;
- a relative link's target does not exist;
- given a build, the ctest entries in tests/README's table (its first column,
  in backticks; `*` as above; an entry whose cell names a -D option exists
  only with that option) and `ctest -N`'s differ.
Exits 77 (skipped) outside a git checkout, and without GoogleTest, whose
absence leaves the test programs' entries out.
"""
import fnmatch
import os
import re
import subprocess
import sys

SOURCE_EXTENSIONS = {"c", "cpp", "h", "py", "sh", "in", "cmake", "supp", "md"}
NOT_A_PATH = re.compile(r"[<>$={}|'\"()]|^(/|\./|-)")


def glob(pattern):
    """A regular expression for a path pattern whose * stays within one part."""
    return re.compile("".join("[^/]*" if c == "*" else re.escape(c) for c in pattern) + "$")


def path_faults(doc, text, files, folders):
    base = os.path.dirname(doc)
    names = {os.path.basename(f) for f in files}
    faults = []
    for span in re.findall(r"`([^`]+)`", text):
        for word in span.split():
            if NOT_A_PATH.search(word):
                continue
            if "/" in word:
                first = word.split("/")[0]
                roots = [r for r in ("", base) if os.path.join(r, first) in folders]
                if not roots:
                    continue
                wanted = [os.path.join(r, word).rstrip("/") for r in roots]
                known = folders if word.endswith("/") else files | folders
            elif "." in word[1:] and word.rsplit(".", 1)[1] in SOURCE_EXTENSIONS:
                wanted, known = [word], names
            else:
                continue
            if not any(glob(w).match(k) for w in wanted for k in known):
                faults.append(f"{doc}: `{word}` is not in the repository")
    for target in re.findall(r"\]\(([^)#]+)(?:#[^)]*)?\)", text):
        if not re.match(r"[a-z]+:", target):
            path = os.path.normpath(os.path.join(base, target))
            if path not in files and path not in folders:
                faults.append(f"{doc}: the link to {target} leads nowhere")
    return faults


def entry_faults(readme, ctest, build):
    table = []
    for line in readme.splitlines():
        cells = [c.strip() for c in line.strip().strip("|").split("|")]
        if line.startswith("|") and cells[0] == "ctest entry":
            table = [None]
        elif table and line.startswith("|"):
            table.append(cells[0])
        elif table:
            break
    listed = {}  # name or pattern: whether ctest must have it
    for cell in table[2:]:  # after the header and the separator
        words = re.findall(r"`([^`]+)`", cell)
        for word in words:
            if not word.startswith("-D"):
                listed[word] = not any(w.startswith("-D") for w in words)
    if not listed:
        return ["tests/README.md: no table whose first column is 'ctest entry'"]
    out = subprocess.run([ctest, "-N"], cwd=build, capture_output=True, text=True, check=True)
    entries = re.findall(r"Test +#\d+: (\S+)", out.stdout)
    if "googletest_missing" in entries:
        print("no GoogleTest: the test programs' entries are missing; not compared")
        sys.exit(77)
    faults = [f"ctest entry {e} is not in tests/README.md's table" for e in entries
              if not any(fnmatch.fnmatchcase(e, p) for p in listed)]
    faults += [f"tests/README.md lists {p}, which ctest does not have" for p, needed in listed.items()
               if needed and not any(fnmatch.fnmatchcase(e, p) for e in entries)]
    return faults


def main():
    if len(sys.argv) not in (2, 4):
        sys.exit(__doc__)
    source = sys.argv[1]
    listing = subprocess.run(["git", "-C", source, "ls-files"], capture_output=True, text=True)
    if listing.returncode != 0:
        print("not a git checkout: nothing to compare with")
        sys.exit(77)
    files = set(listing.stdout.splitlines())
    folders = set()
    for f in files:
        f = os.path.dirname(f)
        while f:
            folders.add(f)
            f = os.path.dirname(f)
    faults = []
    for doc in sorted(f for f in files if f.endswith(".md")):
        with open(os.path.join(source, doc), encoding="utf-8") as text:
            faults += path_faults(doc, text.read(), files, folders)
    if len(sys.argv) == 4:
        with open(os.path.join(source, "tests/README.md"), encoding="utf-8") as readme:
            faults += entry_faults(readme.read(), sys.argv[3], sys.argv[2])
    for fault in dict.fromkeys(faults):  # once each, in order
        print(fault)
    sys.exit(1 if faults else 0)


main()
