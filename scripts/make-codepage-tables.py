#!/usr/bin/env python3
"""Writes platform/cad/dxf/CodePageTables.cpp from the code-page tables of Python's codecs.

For each single-byte Windows code page: the Unicode character of each byte of the upper half (0 where the
byte has none) and the byte that is its lower-case letter in the same code page (the byte itself where there
is none), as the Windows runtime lower-cases text of that code page.

    scripts/make-codepage-tables.py > platform/cad/dxf/CodePageTables.cpp
"""
import codecs

PAGES = [874, 1250, 1251, 1252, 1253, 1254, 1255, 1256, 1257, 1258]


def character(page, byte):
    try:
        return bytes([byte]).decode(f"cp{page}")
    except UnicodeDecodeError:
        return None


def lower_byte(page, byte):
    ch = character(page, byte)
    if ch is None:
        return byte
    lower = ch.lower()
    # The simple mapping where the full one has more than a letter (the capital I with a dot above).
    lower = lower[0]
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


def main():
    print("// Upper halves (0x80-0xFF) of the single-byte Windows code pages: the character of each byte (0 marks a")
    print("// byte with no character) and the byte of its lower-case letter. Written by scripts/make-codepage-tables.py")
    print("// from the code-page tables of Python's codecs.")
    print('#include "platform/cad/dxf/CodePage.h"')
    print()
    print("namespace cad {")
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
    print("} // namespace cad")


if __name__ == "__main__":
    main()
