#!/usr/bin/env python3
"""Runs the extraction benchmark and prints its figures side by side: the
host extractor (qlcat extract) against a plain zlib inflate-to-file loop
over the same archive, and the extractor's peak memory for two payload
sizes. Usage: bench/run.py BUILD_DIR WORK_DIR"""
import os
import resource
import shutil
import subprocess
import sys
import time

build, work = sys.argv[1], sys.argv[2]
here = os.path.dirname(os.path.abspath(__file__))
qlcat = os.path.join(build, "tools", "qlcat")
limit = os.path.join(build, "bench", "inflate_limit")

def run(cmd):
    """Wall time and peak resident memory (KiB) of one command."""
    start = time.perf_counter()
    proc = subprocess.Popen(cmd, stdout=subprocess.DEVNULL)
    _, status, usage = os.wait4(proc.pid, 0)
    if status != 0:
        sys.exit("failed: %s" % " ".join(cmd))
    return time.perf_counter() - start, usage.ru_maxrss

def folder_bytes(path):
    return sum(os.path.getsize(os.path.join(d, f)) for d, _, fs in os.walk(path) for f in fs)

rows = []
for total_mb, files in ((50, 500), (200, 2000)):
    case = os.path.join(work, "%dmb" % total_mb)
    shutil.rmtree(case, ignore_errors=True)
    os.makedirs(case)
    payload = os.path.join(case, "payload")
    subprocess.check_call([sys.executable, os.path.join(here, "make_payload.py"), payload, str(total_mb), str(files)])
    archive = os.path.join(case, "payload.qlc")
    pack_time, _ = run([qlcat, "pack", payload, "-o", archive])
    size = folder_bytes(payload)
    results = {}
    for name, cmd in (("qlcat extract", [qlcat, "extract", archive, os.path.join(case, "out")]),
                      ("zlib loop", [limit, archive, os.path.join(case, "flat")])):
        os.makedirs(os.path.join(case, "flat"), exist_ok=True)
        best = None
        for _ in range(3):
            shutil.rmtree(os.path.join(case, "out"), ignore_errors=True)
            for f in os.listdir(os.path.join(case, "flat")):
                os.remove(os.path.join(case, "flat", f))
            t, rss = run(cmd)
            best = (t, rss) if best is None or t < best[0] else best
        results[name] = best
    rows.append((total_mb, files, size, os.path.getsize(archive), pack_time, results))
    shutil.rmtree(payload)

print("%-9s %6s %10s %10s | %-26s | %-26s | %s" % ("payload", "files", "MB out", "MB packed",
      "qlcat extract MB/s  peak", "zlib loop MB/s  peak", "extract/limit"))
for total_mb, files, size, packed, pack_time, res in rows:
    (qt, qrss), (lt, lrss) = res["qlcat extract"], res["zlib loop"]
    mb = size / 1e6
    print("%-9s %6d %10.1f %10.1f | %10.1f %10.1f MiB | %10.1f %10.1f MiB | %.2f" % (
        "%d MB" % total_mb, files, mb, packed / 1e6, mb / qt, qrss / 1024, mb / lt, lrss / 1024, (mb / qt) / (mb / lt)))
print("(best of 3 runs each; peak = peak resident memory of the process)")
