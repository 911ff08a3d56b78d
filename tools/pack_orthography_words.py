#!/usr/bin/env python3
"""Packs the orthography word lists (orthography/orthography_words.txt) into the form the program
carries, a third of the text's size.

The text is read as OrthographyWords::Parse reads it: UTF-8, '#' comment lines and blank lines
skipped, "[name]" lines opening a section, one word a line. Each section's words are sorted by
UTF-16 code unit (the order the program looks them up in) and front coded.

The packed form (little-endian):
  "RVKW", u8 version 1
  u8 letters L, then L x u16 code units, ascending, each 0x80 or above and no surrogate: byte
     0x80 + i of a word stands for letter i, a byte below 0x80 for that ASCII character
  u8 sections S, then S times:
    u8 name length, the name (ASCII), u32 word count N, then N words, ascending:
      u8 (shared << 4 | rest): shared, the characters it has in common with the word before it
         (none for the first), and rest, the characters that follow; a nibble of 15 means the
         number is in a byte of its own after this one (shared's first)
      rest bytes
Runs with the Python 3 standard library only, on the build machine, for every target.
"""

import argparse
import os
import struct
import sys

MAGIC = b"RVKW"
VERSION = 1
MAX_LETTERS = 128
MAX_COUNT = 255  # a word's shared and rest, each in one byte at most


def read_sections(path):
    """{name: set of words} in the order the sections first appear."""
    with open(path, "rb") as f:
        text = f.read().decode("utf-8")
    sections, current = {}, None
    for number, line in enumerate(text.split("\n"), start=1):
        if line.endswith("\r"):
            line = line[:-1]
        if not line or line.startswith("#"):
            continue
        if line.startswith("[") and line.endswith("]"):
            current = sections.setdefault(line[1:-1], set())
            continue
        if current is None:
            raise ValueError(f"{path}:{number}: a word before the first section")
        current.add(line)
    return sections


def units(word):
    """The word's UTF-16 code units; only characters of one unit can be packed."""
    out = []
    for c in word:
        if ord(c) > 0xFFFF or 0xD800 <= ord(c) <= 0xDFFF:
            raise ValueError(f"{word!r}: a character outside the Basic Multilingual Plane")
        out.append(ord(c))
    return out


def pack(sections):
    letters = sorted({u for words in sections.values() for w in words for u in units(w)
                      if u >= 0x80})
    if len(letters) > MAX_LETTERS:
        raise ValueError(f"{len(letters)} letters beyond ASCII, at most {MAX_LETTERS}")
    byte_of = {u: 0x80 + i for i, u in enumerate(letters)}
    out = bytearray(MAGIC) + bytes([VERSION, len(letters)])
    out += struct.pack(f"<{len(letters)}H", *letters)
    out.append(len(sections))
    for name, words in sections.items():
        encoded = name.encode("ascii")
        if len(encoded) > 255:
            raise ValueError(f"section name {name!r} too long")
        out += bytes([len(encoded)]) + encoded + struct.pack("<I", len(words))
        previous = []
        for word in sorted(units(w) for w in words):
            shared = 0
            while shared < min(len(word), len(previous)) and word[shared] == previous[shared]:
                shared += 1
            rest = len(word) - shared
            if shared > MAX_COUNT or rest > MAX_COUNT:
                raise ValueError(f"a word of {len(word)} characters is too long")
            out.append(min(shared, 15) << 4 | min(rest, 15))
            if shared >= 15:
                out.append(shared)
            if rest >= 15:
                out.append(rest)
            out += bytes(byte_of.get(u, u) for u in word[shared:])
            previous = word
    return bytes(out)


def write_if_changed(path, data):
    try:
        with open(path, "rb") as f:
            if f.read() == data:
                return
    except OSError:
        pass
    with open(path + ".tmp", "wb") as f:
        f.write(data)
    os.replace(path + ".tmp", path)


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n")[0])
    parser.add_argument("words", help="the word lists' text (orthography_words.txt)")
    parser.add_argument("--out", required=True, help="the packed file to write")
    args = parser.parse_args()
    try:
        data = pack(read_sections(args.words))
    except (OSError, UnicodeDecodeError, ValueError) as e:
        print(f"pack_orthography_words: {e}", file=sys.stderr)
        return 1
    write_if_changed(args.out, data)
    return 0


if __name__ == "__main__":
    sys.exit(main())
