#!/usr/bin/env python3
"""Generates text/ksc5601table.cpp, the KS X 1001:1987 to Unicode table.

The values come from a published EUC-KR mapping found on this machine:
Python's euc_kr codec (default) or the C library's iconv converter. Both
carry cells that later editions of KS X 1001 added, so those are dropped, and
both are checked against the 1987 layout before anything is written.

    python3 tools/gen_ksc5601_table.py             # rewrite the table
    python3 tools/gen_ksc5601_table.py --check     # compare, write nothing
    python3 tools/gen_ksc5601_table.py --source iconv --check

Exit status: 0 done or identical, 1 the file differs, 2 a mapping not valid or unavailable.
"""

import argparse
import itertools
import os
import subprocess
import sys

REPO = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
TABLE_PATH = os.path.join(REPO, "text", "ksc5601table.cpp")

FIRST_LEAD, LAST_LEAD = 0xA1, 0xFD  # row 0xFE (user-defined) is not covered
CELLS_PER_ROW = 94  # trail bytes 0xA1..0xFE
TABLE_SIZE = (LAST_LEAD - FIRST_LEAD + 1) * CELLS_PER_ROW  # 8742
MAPPED_COUNT = 8224
EMPTY = -1

# Cells the converters map that the 1987 edition leaves empty.
LATER_EDITIONS = {
    0xA2E6: "euro sign, 1998",
    0xA2E7: "registered sign, 1998",
    0xA2E8: "circled Hangul ieung u, 2002 (glibc's iconv has it)",
}

# The Hangul filler. Python's codec reads it only as the start of an
# eight-byte composed syllable; here every pair converts on its own.
HANGUL_FILLER_CELL = 0xA4D4
HANGUL_FILLER = 0x3164

# The 1987 edition's empty cells: lead byte -> inclusive trail ranges.
EMPTY_CELLS = {
    0xA2: [(0xE6, 0xFE)],
    0xA5: [(0xAB, 0xAF), (0xBA, 0xC0), (0xD9, 0xE0), (0xF9, 0xFE)],
    0xA6: [(0xE5, 0xFE)],
    0xA7: [(0xF0, 0xFE)],
    0xA8: [(0xA5, 0xA5), (0xA7, 0xA7), (0xB0, 0xB0)],
    0xAA: [(0xF4, 0xFE)],
    0xAB: [(0xF7, 0xFE)],
    0xAC: [(0xC2, 0xD0), (0xF2, 0xFE)],
    0xAD: [(0xA1, 0xFE)],
    0xAE: [(0xA1, 0xFE)],
    0xAF: [(0xA1, 0xFE)],
    0xC9: [(0xA1, 0xFE)],
}

SAMPLES = {0xA1A1: 0x3000, 0xB0A1: 0xAC00, 0xFDFE: 0x8A70}


def all_cells():
    return [(lead << 8) | trail for lead in range(FIRST_LEAD, LAST_LEAD + 1)
            for trail in range(0xA1, 0xFF)]


def decode_with_python(cell):
    try:
        text = bytes([cell >> 8, cell & 0xFF]).decode("euc_kr")
    except UnicodeDecodeError:
        return None
    return ord(text) if len(text) == 1 else None


def iconv_decoder():
    """EUC-KR through the C library's converter (the iconv program), a cell a
    line: with -c it leaves out what it cannot convert, so that line is empty."""
    cells = all_cells()
    pairs = b"".join(bytes([cell >> 8, cell & 0xFF, 0x0A]) for cell in cells)
    lines = subprocess.run(["iconv", "-c", "-f", "EUC-KR", "-t", "UTF-8"], input=pairs,
                           capture_output=True, check=False).stdout.decode().split("\n")
    return dict(zip(cells, (ord(line) if len(line) == 1 else None for line in lines))).get


def build_table(decode):
    """Returns the 8742 entries in row-major order, or raises ValueError."""
    table = []
    for cell in all_cells():
        code = decode(cell)
        if cell in LATER_EDITIONS:
            code = None
        elif cell == HANGUL_FILLER_CELL:
            if code not in (None, HANGUL_FILLER):
                raise ValueError("0x%04X maps to U+%04X, not the Hangul filler" % (cell, code))
            code = HANGUL_FILLER
        table.append(EMPTY if code is None else code)
    validate(table)
    return table


def validate(table):
    code_at = dict(zip(all_cells(), table))
    mapped = {cell: code for cell, code in code_at.items() if code != EMPTY}
    expected_empty = set(cell for lead, ranges in EMPTY_CELLS.items() for first, last in ranges
                         for cell in range((lead << 8) | first, ((lead << 8) | last) + 1))
    problems = []
    if len(table) != TABLE_SIZE:
        problems.append("%d entries, not %d" % (len(table), TABLE_SIZE))
    for cell in sorted(set(code_at) - set(mapped) - expected_empty):
        problems.append("0x%04X has no character" % cell)
    for cell in sorted(expected_empty & set(mapped)):
        problems.append("0x%04X should be empty, has U+%04X" % (cell, mapped[cell]))
    if len(mapped) != MAPPED_COUNT:
        problems.append("%d characters, not %d" % (len(mapped), MAPPED_COUNT))
    seen = {}
    for cell, code in sorted(mapped.items()):
        if not 0 < code <= 0xFFFF:
            problems.append("0x%04X maps outside the BMP: U+%X" % (cell, code))
        if code in seen:
            problems.append("U+%04X occurs at 0x%04X and 0x%04X" % (code, seen[code], cell))
        seen[code] = cell
    for cell, code in sorted(SAMPLES.items()):
        if code_at.get(cell) != code:
            problems.append("0x%04X is not U+%04X" % (cell, code))
    if problems:
        raise ValueError("; ".join(problems[:20]) + (" ..." if len(problems) > 20 else ""))


def render(table):
    per_line = 12
    out = [
        "// Generated by tools/gen_ksc5601_table.py; do not edit by hand.",
        "// KS X 1001:1987 (KS C 5601-1987) to Unicode, from a published EUC-KR mapping",
        "// with the cells of later editions removed. Index: (lead - 0xA1) * 94 +",
        "// (trail - 0xA1), lead 0xA1..0xFD, trail 0xA1..0xFE; -1 marks an empty cell.",
        "#include \"text/euckr.h\"",
        "",
        "const int32 ksc5601TableSize = %d;" % TABLE_SIZE,
        "",
        "// clang-format off",
        "const int32 ksc5601ToUnicode[] = {",
    ]
    for row in range(len(table) // CELLS_PER_ROW):
        out.append("    // lead 0x%02X" % (FIRST_LEAD + row))
        cells = table[row * CELLS_PER_ROW:(row + 1) * CELLS_PER_ROW]
        for start in range(0, CELLS_PER_ROW, per_line):
            items = ["%6s" % ("-1" if c == EMPTY else "0x%04X" % c)
                     for c in cells[start:start + per_line]]
            out.append("    " + ", ".join(items) + ",")
    out += [
        "};",
        "// clang-format on",
        "",
        "static_assert(sizeof(ksc5601ToUnicode) / sizeof(ksc5601ToUnicode[0]) == %d,"
        % TABLE_SIZE,
        "              \"one entry per cell of rows 0xA1..0xFD\");",
        "",
    ]
    return "\n".join(out)


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n")[0])
    parser.add_argument("--source", choices=("python", "iconv"), default="python",
                        help="EUC-KR mapping to read (default: Python's euc_kr codec)")
    parser.add_argument("--check", action="store_true",
                        help="compare with the committed file byte for byte; write nothing")
    args = parser.parse_args()

    try:
        decode = decode_with_python if args.source == "python" else iconv_decoder()
        text = render(build_table(decode)).encode("ascii")
    except (ValueError, OSError, LookupError) as error:
        sys.stderr.write("gen_ksc5601_table: %s: table not written\n" % error)
        return 2

    if args.check:
        try:
            with open(TABLE_PATH, "rb") as f:
                committed = f.read()
        except OSError as error:
            sys.stderr.write("gen_ksc5601_table: %s\n" % error)
            return 1
        if committed != text:
            pairs = itertools.zip_longest(committed.split(b"\n"), text.split(b"\n"))
            line = next(n for n, (a, b) in enumerate(pairs, 1) if a != b)
            sys.stderr.write("gen_ksc5601_table: %s differs from the generated table "
                             "(first at line %d); run tools/gen_ksc5601_table.py\n"
                             % (TABLE_PATH, line))
            return 1
        print("%s is up to date (%s source)" % (os.path.relpath(TABLE_PATH), args.source))
        return 0

    with open(TABLE_PATH, "wb") as f:
        f.write(text)
    print("wrote %s (%s source)" % (os.path.relpath(TABLE_PATH), args.source))
    return 0


if __name__ == "__main__":
    sys.exit(main())
