#!/usr/bin/env python3
"""Writes a benchmark payload: about TOTAL_MB megabytes in about FILES files
of mixed sizes (log-distributed, 1 KiB to 4 MiB) and compressibility (random
bytes, text, sparse records), in a few nested folders. Deterministic."""
import os
import random
import sys

def text_block(r, size):
    words = [b"prismora", b"runtime", b"scene", b"vertex", b"texture", b"shader", b"light", b"camera",
             b"matrix", b"plugin", b"browser", b"content", b"stream", b"frame", b"render", b"mesh"]
    out = bytearray()
    while len(out) < size:
        out += r.choice(words) + (b"\r\n" if r.random() < 0.1 else b" ")
    return bytes(out[:size])

def sparse_block(r, size):
    out = bytearray(size)
    for i in range(0, size, 64):
        out[i:i + 4] = r.getrandbits(32).to_bytes(4, "little")
    return bytes(out)

def main():
    dest, total_mb, files = sys.argv[1], int(sys.argv[2]), int(sys.argv[3])
    r = random.Random(20261208)
    target = total_mb * 1024 * 1024
    sizes = [int(2 ** r.uniform(10, 22)) for _ in range(files)]
    scale = target / sum(sizes)
    sizes = [max(1, int(s * scale)) for s in sizes]
    for i, size in enumerate(sizes):
        folder = os.path.join(dest, "data%d" % (i % 7), "set%d" % (i % 3))
        os.makedirs(folder, exist_ok=True)
        kind = i % 3
        data = os.urandom(size) if kind == 0 else text_block(r, size) if kind == 1 else sparse_block(r, size)
        with open(os.path.join(folder, "file%04d.bin" % i), "wb") as f:
            f.write(data)

main()
