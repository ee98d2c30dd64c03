#!/usr/bin/env python3
"""Writes the release notes resource: the UTF-8 text file becomes resource 217 of type
"TXT" holding UTF-16LE with a byte-order mark and CR LF line breaks. The words are written
as numbers because windres widens the bytes of L"..." strings in custom resources one by one.

Usage: make_release_notes.py NOTES.txt OUT.rc
"""
import sys


def main():
    text = open(sys.argv[1], encoding="utf-8").read().replace("\r\n", "\n")
    data = "\ufeff" + text.replace("\n", "\r\n")
    units = data.encode("utf-16-le")
    words = [f"0x{units[i] | units[i + 1] << 8:04X}" for i in range(0, len(units), 2)]
    rows = [", ".join(words[i:i + 12]) for i in range(0, len(words), 12)]
    with open(sys.argv[2], "w", encoding="utf-8", newline="\n") as out:
        out.write("// Generated from release_notes.txt by make_release_notes.py.\n")
        out.write('#include "resource_ids.h"\n\nLANGUAGE 0x07, 0x01\n\n')
        out.write("IDR_RELEASE_NOTES TXT\nBEGIN\n  " + ",\n  ".join(rows) + "\nEND\n")


if __name__ == "__main__":
    main()
