#!/usr/bin/env python3
"""Prints the threads benchmark side by side: qlcat pack -j 1 against -j 2
and extraction with one against two decoder threads, on payloads of about
50 MB and 200 MB; every pair runs alternately RUNS times and the medians are
shown. Usage: bench/parallel.py QLCAT QLCAT_EXE_OR_EMPTY WORK_DIR DEST_DIR"""
import filecmp
import os
import shutil
import statistics
import subprocess
import sys

qlcat, qlcat_exe, work, dest = sys.argv[1:5]
here = os.path.dirname(os.path.abspath(__file__))
RUNS = int(os.environ.get("BENCH_RUNS", "3"))


def run(cmd):
    """Wall time, processor use (user + system time over wall time) and peak
    resident memory (KiB) of one command, as /usr/bin/time measures it."""
    report = os.path.join(work, "time.txt")
    status = subprocess.call(["/usr/bin/time", "-f", "%e %U %S %M", "-o", report] + cmd,
                             stdout=subprocess.DEVNULL)
    if status != 0:
        sys.exit("failed: %s" % " ".join(cmd))
    with open(report) as f:
        wall, user, system, peak = f.read().split()[-4:]
    wall = max(float(wall), 0.01)
    return wall, (float(user) + float(system)) / wall, int(peak)


def windows_path(path):
    return "Z:" + os.path.abspath(path).replace("/", "\\")


def alternate(commands, before=None):
    """Runs the commands in turn RUNS times: the median time and processor use
    and the highest peak memory of each."""
    runs = {name: [] for name in commands}
    for _ in range(RUNS):
        for name, cmd in commands.items():
            if before:
                before()
            runs[name].append(run(cmd))
    return {name: (statistics.median(r[0] for r in runs[name]), statistics.median(r[1] for r in runs[name]),
                   max(r[2] for r in runs[name])) for name, r in runs.items()}


def load():
    with open("/proc/loadavg") as f:
        return f.read().split()[0]


def case(total_mb, files):
    folder = os.path.join(work, "%dmb" % total_mb)
    shutil.rmtree(folder, ignore_errors=True)
    os.makedirs(folder)
    payload = os.path.join(folder, "payload")
    subprocess.check_call([sys.executable, os.path.join(here, "make_payload.py"), payload, str(total_mb), str(files)])
    a1, a2 = os.path.join(folder, "j1.qlc"), os.path.join(folder, "j2.qlc")
    pack = alternate({"j1": [qlcat, "pack", payload, "-o", a1, "-j", "1"],
                      "j2": [qlcat, "pack", payload, "-o", a2, "-j", "2"]})
    identical = filecmp.cmp(a1, a2, shallow=False)
    target = os.path.join(dest, "extract-%dmb" % total_mb)
    clear = lambda: shutil.rmtree(target, ignore_errors=True)
    commands = {"host j1": [qlcat, "extract", a1, target, "-j", "1"],
                "host j2": [qlcat, "extract", a1, target, "-j", "2"]}
    if qlcat_exe:
        for j in ("1", "2"):
            commands["wine j" + j] = ["wine", qlcat_exe, "extract", windows_path(a1), windows_path(target), "-j", j]
    extract = alternate(commands, clear)
    clear()
    size = sum(os.path.getsize(os.path.join(d, f)) for d, _, fs in os.walk(payload) for f in fs)
    shutil.rmtree(payload)
    return {"mb": total_mb, "files": files, "size": size, "packed": os.path.getsize(a1), "pack": pack,
            "identical": identical, "extract": extract}


def main():
    load_before = load()
    cases = [case(50, 500), case(200, 2000)]
    print("qlcat pack, zlib level 9 (median of %d alternate runs; cpu = processor time / wall time)" % RUNS)
    print("%-8s %6s %9s %10s | %16s %16s %7s | %s" % ("payload", "files", "MB in", "MB packed", "-j 1 s (cpu)",
                                                    "-j 2 s (cpu)", "j1/j2", "archives"))
    for c in cases:
        (t1, u1, _), (t2, u2, _) = c["pack"]["j1"], c["pack"]["j2"]
        print("%-8s %6d %9.1f %10.1f | %8.2f (%4.2f) %8.2f (%4.2f) %7.2f | %s" % (
            "%d MB" % c["mb"], c["files"], c["size"] / 1e6, c["packed"] / 1e6, t1, u1, t2, u2, t1 / t2,
            "byte-identical" if c["identical"] else "DIFFERENT"))
    print()
    print("extraction, 1 against 2 decoder threads (median of %d alternate runs; peak = peak resident memory)"
          % RUNS)
    names = list(cases[0]["extract"])
    print("%-8s | " % "payload" + " | ".join("%-26s" % n for n in names))
    for c in cases:
        cells = ["%5.2f s (%4.2f) %7.1f MiB" % (t, u, rss / 1024) for t, u, rss in (c["extract"][n] for n in names)]
        print("%-8s | " % ("%d MB" % c["mb"]) + " | ".join(cells))
    for n in names:
        small, large = cases[0]["extract"][n][2], cases[1]["extract"][n][2]
        print("peak memory %-8s 200 MB / 50 MB: %.3f" % (n, large / small))
    for who in ("host", "wine"):
        if who + " j1" in names:
            t1, t2 = cases[1]["extract"][who + " j1"][0], cases[1]["extract"][who + " j2"][0]
            print("extraction 200 MB %s: 1 thread / 2 threads = %.2f" % (who, t1 / t2))
    print("(destination: %s; wine figures include Wine's own start-up; load average %s before, %s after)"
          % (dest, load_before, load()))


main()
