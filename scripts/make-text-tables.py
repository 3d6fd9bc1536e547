#!/usr/bin/env python3
"""Writes the text library's tables from Python's codecs and its Unicode database.

    scripts/make-text-tables.py codepages > platform/text/CodePageTables.cpp
    scripts/make-text-tables.py unicode > platform/text/UnicodeTables.cpp

codepages: for each single-byte Windows code page, the Unicode character of each byte of the upper half (0
where the byte has none) and the byte that is its lower-case letter in the same code page (the byte itself
where there is none), as the Windows runtime lower-cases text of that code page.

unicode: the simple lower-case mapping of every character that has one, and the display width of characters
in a terminal: East Asian wide and full-width characters take two columns, combining marks and other
characters of no width none.
"""
import codecs
import sys
import unicodedata

PAGES = [874, 1250, 1251, 1252, 1253, 1254, 1255, 1256, 1257, 1258]


def character(page, byte):
    try:
        return bytes([byte]).decode(f"cp{page}")
    except UnicodeDecodeError:
        return None


def simple_lower(ch):
    # The simple mapping where the full one has more than a letter (the capital I with a dot above).
    return ch.lower()[0]


def lower_byte(page, byte):
    ch = character(page, byte)
    if ch is None:
        return byte
    lower = simple_lower(ch)
    if lower == ch:
        return byte
    try:
        encoded = lower.encode(f"cp{page}")
    except UnicodeEncodeError:
        return byte
    return encoded[0] if len(encoded) == 1 else byte


def rows(values, width, digits):
    out = []
    for i in range(0, len(values), width):
        out.append("        " + " ".join(f"0x{v:0{digits}X}," for v in values[i:i + width]))
    return "\n".join(out)


def codepages():
    print("// Upper halves (0x80-0xFF) of the single-byte Windows code pages: the character of each byte (0 marks a")
    print("// byte with no character) and the byte of its lower-case letter. Written by scripts/make-text-tables.py")
    print("// from the code-page tables of Python's codecs.")
    print('#include "platform/text/CodePage.h"')
    print()
    print("namespace textkit {")
    print()
    print("const CodePageTable kCodePageTables[] = {")
    for page in PAGES:
        upper = []
        for byte in range(0x80, 0x100):
            ch = character(page, byte)
            upper.append(ord(ch) if ch is not None else 0)
        lower = [lower_byte(page, byte) for byte in range(0x80, 0x100)]
        print(f"    {{{page}, {{")
        print(rows(upper, 12, 4))
        print("    }, {")
        print(rows(lower, 16, 2))
        print("    }},")
    print("};")
    print(f"const int kCodePageTableCount = {len(PAGES)};")
    print()
    print("} // namespace textkit")


def ranges(predicate):
    out = []
    start = None
    for cp in range(0x110000):
        if predicate(cp):
            if start is None:
                start = cp
        elif start is not None:
            out.append((start, cp - 1))
            start = None
    if start is not None:
        out.append((start, 0x10FFFF))
    return out


def is_wide(cp):
    return unicodedata.east_asian_width(chr(cp)) in ("W", "F")


def is_zero_width(cp):
    if cp == 0x200B or 0x1160 <= cp <= 0x11FF:  # zero-width space, the Hangul vowels and finals that join
        return True
    return unicodedata.category(chr(cp)) in ("Mn", "Me", "Cf") and cp != 0x00AD


def unicode_tables():
    pairs = []
    for cp in range(0x110000):
        ch = chr(cp)
        if 0xD800 <= cp <= 0xDFFF:
            continue
        lower = simple_lower(ch)
        if lower != ch:
            pairs.append((cp, ord(lower)))
    print(f"// Unicode {unicodedata.unidata_version}: simple lower-case mappings and display widths. Written by")
    print("// scripts/make-text-tables.py from Python's Unicode database.")
    print('#include "platform/text/UnicodeTables.h"')
    print()
    print("namespace textkit {")
    print()
    print("const CaseMapping kLowerCase[] = {")
    for i in range(0, len(pairs), 4):
        print("    " + " ".join(f"{{0x{a:04X}, 0x{b:04X}}}," for a, b in pairs[i:i + 4]))
    print("};")
    print(f"const int kLowerCaseCount = {len(pairs)};")
    print()
    for name, predicate in (("kWide", is_wide), ("kZeroWidth", is_zero_width)):
        found = ranges(predicate)
        print(f"const CodePointRange {name}[] = {{")
        for i in range(0, len(found), 4):
            print("    " + " ".join(f"{{0x{a:04X}, 0x{b:04X}}}," for a, b in found[i:i + 4]))
        print("};")
        print(f"const int {name}Count = {len(found)};")
        print()
    print("} // namespace textkit")


if __name__ == "__main__":
    which = sys.argv[1] if len(sys.argv) > 1 else "codepages"
    if which == "unicode":
        unicode_tables()
    else:
        codepages()
