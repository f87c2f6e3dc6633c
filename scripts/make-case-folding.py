#!/usr/bin/env python3
"""Writes src/platform/case_folding_table.inc: Unicode simple case folding
(one code point to one code point), from the Unicode data of this Python.

Run it from the repository's root when the table is to follow a newer Unicode
version: python3 scripts/make-case-folding.py > src/platform/case_folding_table.inc
"""
import sys
import unicodedata

pairs = []
for cp in range(0x110000):
    if 0xD800 <= cp <= 0xDFFF:
        continue
    c = chr(cp)
    full = c.casefold()
    if len(full) == 1:
        folded = full
    else:
        # Where full folding gives several characters, simple folding keeps
        # the one-character lower case, when there is one (U+1E9E to U+00DF).
        lower = c.lower()
        folded = lower if len(lower) == 1 else c
    if folded != c:
        pairs.append((cp, ord(folded)))

out = sys.stdout
out.write("// Unicode %s simple case folding: {code point, folded code point}, sorted.\n"
          % unicodedata.unidata_version)
out.write("// Made by scripts/make-case-folding.py; do not edit by hand.\n")
line = ""
for cp, folded in pairs:
    item = "{0x%X, 0x%X}," % (cp, folded)
    if len(line) + len(item) + 1 > 100:
        out.write(line.rstrip() + "\n")
        line = ""
    line += item + " "
out.write(line.rstrip() + "\n")
