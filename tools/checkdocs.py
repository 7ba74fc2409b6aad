#!/usr/bin/env python3
"""Checks the Markdown files in git against the repository and the build.

  tools/checkdocs.py SOURCE_DIR [BUILD_DIR CTEST]

Prints each fault and exits 1 when
- a backticked word names a repository path that does not exist: a word with
  a slash whose first part is a folder in git, from the repository's root or
  the Markdown file's folder (`tools/test.sh`, `e2e/tvoutrun.*`, `cmake/`),
  or a bare file name with a source extension, anywhere (`test_*.cpp`); `*`
  stays within one part. Words with <, >, $, =, {, }, |, quotes or
  parentheses (commands, placeholders), absolute and ./ paths are left alone;
- a relative link leads nowhere;
- a log line quotes a source line number (`main.cpp_ 161]`: write
  `main.cpp_ NNN]`), which any edit above that line makes wrong;
- given a build, tests/README.md's table of ctest entries (first column, in
  backticks, `*` as above; an entry whose cell names a -D option exists only
  with it) and `ctest -N` differ.
Exits 77 (skipped) without git or outside a git checkout, and without GoogleTest.
"""
import os
import re
import subprocess
import sys

SOURCE_EXTENSIONS = {"c", "cpp", "h", "py", "sh", "in", "cmake", "supp", "md"}
NOT_A_PATH = re.compile(r"[<>$={}|'\"()]|^(/|\./|-)")


def glob(pattern):
    return re.compile("".join("[^/]*" if c == "*" else re.escape(c) for c in pattern) + "$")


def path_faults(doc, text, files, folders):
    base = os.path.dirname(doc)
    names = {os.path.basename(f) for f in files}
    faults = []
    for word in " ".join(re.findall(r"`([^`]+)`", text)).split():
        if NOT_A_PATH.search(word):
            continue
        if "/" in word:
            roots = [r for r in ("", base) if os.path.join(r, word.split("/")[0]) in folders]
            wanted = [os.path.join(r, word).rstrip("/") for r in roots]
            known = folders if word.endswith("/") else files | folders
        elif "." in word[1:] and word.rsplit(".", 1)[1] in SOURCE_EXTENSIONS:
            wanted, known = [word], names
        else:
            continue
        if wanted and not any(glob(w).match(k) for w in wanted for k in known):
            faults.append(f"{doc}: `{word}` is not in the repository")
    for quoted in re.findall(r"\w+\.(?:cpp|c|h)_ *\d+\]", text):
        faults.append(f"{doc}: `{quoted}` quotes a source line number")
    for target in re.findall(r"\]\(([^)#]+)", text):
        path = os.path.normpath(os.path.join(base, target))
        if not re.match(r"[a-z]+:", target) and path not in files | folders:
            faults.append(f"{doc}: the link to {target} leads nowhere")
    return faults


def entry_faults(readme, build, ctest):
    rows = re.search(r"^\| ctest entry \|.*\n\|[-|]*\n((?:\|.*\n)*)", readme, re.M)
    listed = {}  # name or pattern: whether ctest must have it
    for line in rows.group(1).splitlines() if rows else []:
        words = re.findall(r"`([^`]+)`", line.split("|")[1])
        needed = not any(w.startswith("-D") for w in words)
        listed.update((w, needed) for w in words if not w.startswith("-D"))
    if not listed:
        return ["tests/README.md: no table whose first column is 'ctest entry'"]
    out = subprocess.run([ctest, "-N"], cwd=build, capture_output=True, text=True, check=True)
    entries = re.findall(r"Test +#\d+: (\S+)", out.stdout)
    if "googletest_missing" in entries:
        print("no GoogleTest, so no test programs' entries to compare")
        sys.exit(77)
    faults = [f"ctest entry {e} is not in tests/README.md's table" for e in entries
              if not any(glob(p).match(e) for p in listed)]
    return faults + [f"tests/README.md lists {p}, which ctest does not have"
                     for p, needed in listed.items()
                     if needed and not any(glob(p).match(e) for e in entries)]


def main():
    if len(sys.argv) not in (2, 4):
        sys.exit(__doc__)
    source = sys.argv[1]
    try:
        listing = subprocess.run(["git", "-C", source, "ls-files"], capture_output=True, text=True)
    except FileNotFoundError:
        listing = None
    if not listing or listing.returncode != 0:
        print("no git, or not a git checkout: nothing to compare with")
        sys.exit(77)
    files = set(listing.stdout.splitlines())
    folders = {"/".join(f.split("/")[:i]) for f in files for i in range(1, f.count("/") + 1)}
    faults = []
    for doc in sorted(f for f in files if f.endswith(".md")):
        with open(os.path.join(source, doc), encoding="utf-8") as text:
            faults += path_faults(doc, text.read(), files, folders)
    if len(sys.argv) == 4:
        with open(os.path.join(source, "tests/README.md"), encoding="utf-8") as readme:
            faults += entry_faults(readme.read(), *sys.argv[2:])
    for fault in dict.fromkeys(faults):  # once each, in order
        print(fault)
    sys.exit(1 if faults else 0)


main()
