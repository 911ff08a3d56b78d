#!/usr/bin/env python3
"""Points a PE image's load configuration directory at its _load_config_used structure.

GNU ld (2.40) leaves that directory empty even when the program defines the structure, so
the loader would never read it. The structure's address comes from the link map; its size
from its own first field.

    set_load_config.py IMAGE MAP
"""
import re
import struct
import sys

LOAD_CONFIG = 10  # the data directory's index


def main(image_path, map_path):
    with open(map_path, encoding="utf-8", errors="replace") as m:
        found = re.search(r"^\s+0x([0-9a-fA-F]+)\s+_{1,2}load_config_used\s*$", m.read(),
                          re.MULTILINE)
    if not found:
        sys.exit(f"set_load_config: no _load_config_used in {map_path}")
    address = int(found[1], 16)

    data = bytearray(open(image_path, "rb").read())
    pe = struct.unpack_from("<I", data, 0x3C)[0]
    if data[pe:pe + 4] != b"PE\0\0":
        sys.exit(f"set_load_config: {image_path} is no PE image")
    sections, optional_size = struct.unpack_from("<H12xH", data, pe + 6)
    optional = pe + 24
    magic = struct.unpack_from("<H", data, optional)[0]
    if magic == 0x20B:  # PE32+
        image_base = struct.unpack_from("<Q", data, optional + 24)[0]
        directories = optional + 112
    else:
        image_base = struct.unpack_from("<I", data, optional + 28)[0]
        directories = optional + 96
    rva = address - image_base

    # The structure's size is its first field; find it in the file through the sections.
    table = optional + optional_size
    for i in range(sections):
        virtual_size, virtual_address, raw_size, raw_offset = struct.unpack_from(
            "<IIII", data, table + 40 * i + 8)
        if virtual_address <= rva < virtual_address + max(virtual_size, raw_size):
            size = struct.unpack_from("<I", data, raw_offset + rva - virtual_address)[0]
            break
    else:
        sys.exit(f"set_load_config: _load_config_used lies in no section of {image_path}")
    struct.pack_into("<II", data, directories + 8 * LOAD_CONFIG, rva, size)
    open(image_path, "wb").write(data)


if __name__ == "__main__":
    main(*sys.argv[1:])
