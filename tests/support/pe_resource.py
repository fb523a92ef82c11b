#!/usr/bin/env python3
"""Test support: copies the RCDATA resource NAME of a Windows program to OUT.

pe_resource.py PROGRAM NAME OUT -- exits 1 with a message when PROGRAM is
not a PE file or carries no such resource.
"""
import struct
import sys

RT_RCDATA = 10


def sections(pe, header):
    count = struct.unpack_from("<H", pe, header + 6)[0]
    optional_size = struct.unpack_from("<H", pe, header + 20)[0]
    table = header + 24 + optional_size
    for i in range(count):
        size, rva, raw_size, raw = struct.unpack_from("<IIII", pe, table + 40 * i + 8)
        yield rva, max(size, raw_size), raw


def offset_of(pe, header, rva):
    for start, size, raw in sections(pe, header):
        if start <= rva < start + size:
            return rva - start + raw
    raise ValueError("address 0x%x is in no section" % rva)


def entries(pe, directory):
    named, ids = struct.unpack_from("<HH", pe, directory + 12)
    for i in range(named + ids):
        yield struct.unpack_from("<II", pe, directory + 16 + 8 * i)


def entry_name(pe, root, key):
    if not key & 0x80000000:
        return key
    at = root + (key & 0x7FFFFFFF)
    length = struct.unpack_from("<H", pe, at)[0]
    return pe[at + 2:at + 2 + 2 * length].decode("utf-16-le")


def find(pe, root, directory, wanted):
    for key, target in entries(pe, directory):
        if entry_name(pe, root, key) == wanted:
            return root + (target & 0x7FFFFFFF)
    raise ValueError("no resource %r" % (wanted,))


def resource(pe, name):
    if pe[:2] != b"MZ":
        raise ValueError("not a Windows program")
    header = struct.unpack_from("<I", pe, 0x3C)[0]
    if pe[header:header + 4] != b"PE\0\0":
        raise ValueError("not a PE file")
    optional = header + 24
    directories = optional + (96 if struct.unpack_from("<H", pe, optional)[0] == 0x10B else 112)
    root = offset_of(pe, header, struct.unpack_from("<I", pe, directories + 8 * 2)[0])
    by_name = find(pe, root, find(pe, root, root, RT_RCDATA), name)
    language = root + (next(entries(pe, by_name))[1] & 0x7FFFFFFF)
    rva, size = struct.unpack_from("<II", pe, language)
    start = offset_of(pe, header, rva)
    return pe[start:start + size]


def main():
    if len(sys.argv) != 4:
        sys.exit("usage: pe_resource.py PROGRAM NAME OUT")
    try:
        with open(sys.argv[1], "rb") as f:
            data = resource(f.read(), sys.argv[2])
    except (OSError, ValueError, struct.error) as e:
        sys.exit("pe_resource: %s" % e)
    with open(sys.argv[3], "wb") as f:
        f.write(data)


if __name__ == "__main__":
    main()
