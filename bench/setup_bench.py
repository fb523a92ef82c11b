#!/usr/bin/env python3
"""Runs the installation benchmark under the Wine session the caller started
and prints its table. For each product, every round runs in turn: our setup
unattended (/u) and silent (/S), the NSIS installer (/S), qlcat.exe extract
of our archive, and our /u with /LOG; after each silent install its quiet
uninstall is timed too (ours, and NSIS's deleting the folder recursively),
and after our unattended install the same setup again over it, a reinstall.
The logged run is for the phases only: the log writes through to disk line
by line, so its run is not timed with the others. With BENCH_BASELINE_BUILD,
another revision's setup for the large payload runs unattended beside ours.
Between runs each installation is removed again, untimed. Where
QL_BENCH_WIN64 is set, the programs are 64-bit ones, NSIS's too.
Usage: bench/setup_bench.py ROOT BUILD BUILD_WIN LARGE_BUILD_WIN OUT STUB_REPORT"""
import filecmp
import os
import re
import shutil
import statistics
import subprocess
import sys
import tempfile
import time

root, build, build_win, large_win, out, stub_report = sys.argv[1:7]
RUNS = int(os.environ.get("BENCH_RUNS", "3"))
prefix = os.environ["WINEPREFIX"]
WIN64 = bool(os.environ.get("QL_BENCH_WIN64"))
BASELINE = os.environ.get("BENCH_BASELINE_BUILD")
# Where a 32-bit program's program-files folder is on 64-bit Windows, and a
# 64-bit program's.
PROGRAM_FILES = "Program Files" if WIN64 else "Program Files (x86)"
program_files = os.path.join(prefix, "drive_c", PROGRAM_FILES)
ours_folder = os.path.join(program_files, "Prismora 1.0 SE")
nsis_folder = os.path.join(program_files, "Prismora NSIS")
floor_folder = os.path.join(prefix, "drive_c", "bench-floor")
log_folder = tempfile.mkdtemp(prefix="setup-bench-", dir="/dev/shm" if os.path.isdir("/dev/shm") else out)
qlcat_exe = os.path.join(build_win, "tools", "qlcat.exe")
# NSIS's uninstaller takes the folder to work in from "_?=" to the end of
# its command line, which must hold no quotes: so the folder goes as words,
# which the command line joins with blanks ("_?=" inside quotes is not read,
# and the uninstaller then removes nothing).
NSIS_IN_PLACE = ("_?=C:\\%s\\Prismora NSIS" % PROGRAM_FILES).split(" ")
VERSION = "1.0.5.12"
UNINSTALL_KEY = r"Software\Microsoft\Windows\CurrentVersion\Uninstall\Prismora NSIS"
# The setup's file-type table; the NSIS installer writes the same keys under
# names of its own, so neither installation meets the other's.
FILE_TYPES = [(".LTR", "LUMI_TRACE_SE_RUNTIME_FILE", "Lumi Trace SE Runtime File", 1),
              (".LTL", "LUMI_TRACE_SE_RUNTIME_FILE", "Lumi Trace SE Runtime File", 1),
              (".PQR", "PrismoraSERuntimeFile", "Prismora SE Runtime File", 2),
              (".LTO", "LUMI_TRACE_CABINET_FILE", "Lumi Trace Cabinet File", 3),
              (".PQO", "PrismoraCabinetFile", "Prismora Cabinet File", 4)]


def windows_path(path):
    return "Z:" + os.path.abspath(path).replace("/", "\\")


def files_in(path):
    return sum(len(fs) for _, _, fs in os.walk(path))


def folder_bytes(path):
    return sum(os.path.getsize(os.path.join(d, f)) for d, _, fs in os.walk(path) for f in fs)


def run(cmd):
    """Wall time (s) and bytes written to disk by the command and the
    processes it waited for (the kernel's block-output count). What earlier
    runs left to write goes to disk first, so no run pays for another's."""
    os.sync()
    start = time.perf_counter()
    proc = subprocess.Popen(cmd, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    _, status, usage = os.wait4(proc.pid, 0)
    wall = time.perf_counter() - start
    code = os.waitstatus_to_exitcode(status)
    if code not in (0, 3010):
        sys.exit("failed (%d): %s" % (code, " ".join(cmd)))
    return wall, usage.ru_oublock * 512


def quiet(cmd):
    subprocess.call(cmd, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)


def nsis_script(name, payload, size_kib):
    nsi = os.path.join(out, name + ".nsi")
    exe = os.path.join(out, name + ".exe")
    lines = ['Target amd64-unicode' if WIN64 else 'Unicode true', 'SetCompressor zlib', 'Name "Prismora SE"',
             'OutFile "%s"' % exe, 'InstallDir "%s\\Prismora NSIS"' % ("$PROGRAMFILES64" if WIN64 else "$PROGRAMFILES"), 'RequestExecutionLevel admin', '!include FileFunc.nsh',
             'Section', '  SetShellVarContext all', '  SetOutPath "$INSTDIR"', '  File /r "%s/*.*"' % payload,
             '  CreateDirectory "$INSTDIR\\UNINST"', '  WriteUninstaller "$INSTDIR\\UNINST\\UNINST.EXE"',
             '  ${GetTime} "" "L" $0 $1 $2 $3 $4 $5 $6']
    key = 'HKLM "%s"' % UNINSTALL_KEY
    for value, text in (("DisplayName", "Prismora SE"),
                        ("UninstallString", '"$INSTDIR\\UNINST\\UNINST.EXE" /UNINSTALL'),
                        ("Publisher", "VELDRANE"), ("InstallLocation", "$INSTDIR\\"),
                        ("DisplayVersion", VERSION), ("DisplayIcon", "$INSTDIR\\PQENGINE.EXE"),
                        ("InstallDate", "$2$1$0"),
                        ("QuietUninstallString", '"$INSTDIR\\UNINST\\UNINST.EXE" /UNINSTALL /S'),
                        ("URLInfoAbout", "http://www.veldrane.example/")):
        lines.append('  WriteRegStr %s "%s" \'%s\'' % (key, value, text))
    for value, number in (("VersionMajor", 1), ("VersionMinor", 327680), ("MajorVersion", 1),
                          ("MinorVersion", 327680), ("EstimatedSize", size_kib), ("NoModify", 1), ("NoRepair", 1)):
        lines.append('  WriteRegDWORD %s "%s" %d' % (key, value, number))
    lines += ['  CreateShortCut "$DESKTOP\\Prismora NSIS.lnk" "$INSTDIR\\PQENGINE.EXE"',
              '  CreateDirectory "$SMPROGRAMS\\Prismora NSIS"',
              '  CreateShortCut "$SMPROGRAMS\\Prismora NSIS\\Prismora.lnk" "$INSTDIR\\PQENGINE.EXE"',
              '  CreateShortCut "$SMPROGRAMS\\Prismora NSIS\\Prismora ReadMe.lnk" "$INSTDIR\\README.TXT"']
    for ext, progid, text, icon in FILE_TYPES:
        lines += ['  WriteRegStr HKCR "%sN" "" "%sN"' % (ext, progid),
                  '  WriteRegStr HKCR "%sN" "" "%s"' % (progid, text),
                  '  WriteRegStr HKCR "%sN\\DefaultIcon" "" "$INSTDIR\\PQENGINE.EXE,%d"' % (progid, icon),
                  '  WriteRegStr HKCR "%sN\\shell\\open\\command" "" \'"$INSTDIR\\PQENGINE.EXE" "%%1"\'' % progid]
    lines += ["  System::Call 'shell32::SHChangeNotify(i 0x08000000, i 0, p 0, p 0)'", 'SectionEnd',
              'Section "Uninstall"', '  SetShellVarContext all', '  DeleteRegKey %s' % key,
              '  Delete "$DESKTOP\\Prismora NSIS.lnk"', '  RMDir /r "$SMPROGRAMS\\Prismora NSIS"']
    for ext, progid, _, _ in FILE_TYPES:
        lines += ['  DeleteRegKey HKCR "%sN"' % ext, '  DeleteRegKey HKCR "%sN"' % progid]
    lines += ['  RMDir /r "$INSTDIR"', 'SectionEnd']
    with open(nsi, "w") as f:
        f.write("\n".join(lines) + "\n")
    subprocess.check_call(["makensis", "-V1", nsi], stdout=subprocess.DEVNULL)
    return exe


def phases(log):
    """Milliseconds of each phase of our unattended install, from its log."""
    stamps = []
    with open(log, encoding="utf-8", errors="replace") as f:
        for line in f:
            m = re.match(r"\s*(\d+) (.*)", line)
            if m:
                stamps.append((int(m.group(1)), m.group(2)))

    def last(prefix, default=None):
        found = [t for t, text in stamps if text.startswith(prefix)]
        return found[-1] if found else default

    marks = [("start-up, archive check", last("archive check:", 0)),
             ("wizard pages", last("folder:")),
             ("uninstaller, registration, journal", last("uninstaller written:")),
             ("extraction", last("file written:")),
             ("shortcuts", last("shortcut created:")),
             ("records, file types", last("file types registered:")),
             ("plug-ins, control", last("control registered:", last("control registration failed:"))),
             ("completion page, exit", last("exit status:"))]
    result, before = [], 0
    for name, stamp in marks:
        stamp = before if stamp is None else stamp
        result.append((name, stamp - before))
        before = stamp
    return result, before


def product(label, setup, archive, payload, baseline=None):
    size = folder_bytes(payload)
    nsis = nsis_script("nsis-" + label.split()[0], payload, (size + 1023) // 1024)
    installers = {
        "ours /u": ["wine", setup, "/u"],
        "ours /S": ["wine", setup, "/S"],
        "NSIS /S": ["wine", nsis, "/S"],
        "qlcat.exe extract": ["wine", qlcat_exe, "extract", windows_path(archive), "C:\\bench-floor", "-j", "2"],
    }
    if baseline:
        installers["baseline /u"] = ["wine", baseline, "/u"]

    def clear(name):
        if name.startswith("ours") or name.startswith("baseline"):
            quiet(["wine", setup, "/UNINSTALL", "/S"])
            shutil.rmtree(ours_folder, ignore_errors=True)
        elif name.startswith("NSIS"):
            quiet(["wine", os.path.join(nsis_folder, "UNINST", "UNINST.EXE"), "/S", *NSIS_IN_PLACE])
            shutil.rmtree(nsis_folder, ignore_errors=True)
        else:
            shutil.rmtree(floor_folder, ignore_errors=True)

    # The quiet uninstalls, timed right after the silent installs: ours with
    # the installed uninstaller as the list of programs starts it, NSIS's
    # uninstaller deleting the folder recursively (in place, "_?=").
    uninstallers = {
        "ours /S": ["wine", os.path.join(ours_folder, "UNINST", "UNINST.EXE"), "/UNINSTALL", "/S"],
        "NSIS /S": ["wine", os.path.join(nsis_folder, "UNINST", "UNINST.EXE"), "/S",
                    *NSIS_IN_PLACE],
    }
    installed = {}
    reinstalls = {name: [] for name in ("ours /u", "baseline /u") if name in installers}
    runs = {name: [] for name in installers}
    uninstalls = {name: [] for name in uninstallers}
    logged = []
    for name in installers:
        clear(name)
    for i in range(RUNS):
        for name, cmd in installers.items():
            runs[name].append(run(cmd))
            folder = (nsis_folder if name.startswith("NSIS") else floor_folder if name.startswith("qlcat")
                      else ours_folder)
            installed[name] = folder_bytes(folder)
            if name in reinstalls:
                # The same setup again over the installation it made: every
                # file is kept aside, then dropped when the run commits (the
                # baseline, where given, deletes each before writing anew).
                reinstalls[name].append(run(cmd)[0])
            if name in uninstallers:
                uninstalls[name].append(run(uninstallers[name])[0])
                # Only a timed uninstall that removed the installation counts
                # (ours may leave its own program, queued for the next start).
                if files_in(folder) > 1:
                    sys.exit("%s: the uninstall left %d files in %s" % (name, files_in(folder), folder))
            clear(name)
        # The log on a memory file system, so the phases are measured apart
        # from whatever the disk does with it.
        log = os.path.join(log_folder, "log-%s-%d.txt" % (label.split()[0], i))
        wall, _ = run(["wine", setup, "/u", "/LOG=" + windows_path(log)])
        logged.append((wall, phases(log)))
        clear("ours /u")
    result = {name: (statistics.median(r[0] for r in rs), statistics.median(r[1] for r in rs), installed[name])
              for name, rs in runs.items()}
    # The phases of the logged run of median length.
    logged.sort(key=lambda r: r[0])
    wall, (parts, inside) = logged[len(logged) // 2]
    return {"label": label, "size": size, "files": sum(len(fs) for _, _, fs in os.walk(payload)),
            "results": result, "phases": parts + [("Wine start and end (outside the log)", int(wall * 1000) - inside)],
            "logged": wall, "uninstalls": {name: statistics.median(ts) for name, ts in uninstalls.items()},
            "reinstall": {name: statistics.median(ts) for name, ts in reinstalls.items()}}


def pack(payload):
    qlcat = os.path.join(build, "tools", "qlcat")
    archives = {j: os.path.join(out, "pack-j%s.qlc" % j) for j in ("1", "2")}
    times = {j: [] for j in archives}
    for _ in range(RUNS):
        for j, archive in archives.items():
            times[j].append(run([qlcat, "pack", payload, "-o", archive, "-j", j])[0])
    same = filecmp.cmp(archives["1"], archives["2"], shallow=False)
    return statistics.median(times["1"]), statistics.median(times["2"]), same


def print_product(p):
    r = p["results"]
    ours, nsis, floor = r["ours /u"][0], r["NSIS /S"][0], r["qlcat.exe extract"][0]
    print("%s: %d files, %.1f MB (median of %d alternate runs)" % (p["label"], p["files"], p["size"] / 1e6, RUNS))
    print("  %-20s %9s %13s %13s %11s %11s" % ("", "time s", "written MB", "installed MB", "/ NSIS /S", "/ floor"))
    for name, (t, written, inst) in r.items():
        print("  %-20s %9.3f %13.1f %13.1f %11.2f %11.2f" % (name, t, written / 1e6, inst / 1e6, t / nsis, t / floor))
    print("  ours /u: %.2f x NSIS, %.2f x floor; written %.3f x payload" % (ours / nsis, ours / floor,
                                                                          r["ours /u"][1] / p["size"]))
    # The kernel counts whole file-system blocks: every file ends in a part
    # of one, which no installer avoids. The floor writes exactly the
    # payload's files, so ours over the floor is what the installation
    # writes beyond them; the installed bytes are what it leaves.
    print("  written: ours %.3f x the floor's (the floor %.3f x payload in whole blocks of %d files);"
          " installed %.3f x payload" % (r["ours /u"][1] / r["qlcat.exe extract"][1],
                                         r["qlcat.exe extract"][1] / p["size"], p["files"],
                                         r["ours /u"][2] / p["size"]))
    for name, again in p["reinstall"].items():
        print("  %s again over its own installation (reinstall): %.3f s, %.2f x the first install" % (
            name, again, again / r[name][0]))
    u = p["uninstalls"]
    print("  quiet uninstall: ours %.3f s, NSIS (RMDir /r) %.3f s, ours / NSIS %.2f" % (
        u["ours /S"], u["NSIS /S"], u["ours /S"] / u["NSIS /S"]))
    print("  phases of ours /u from /LOG (the logged run of median length, %.3f s;"
          " its log on a memory file system):" % p["logged"])
    for name, ms in p["phases"]:
        print("    %-40s %7d ms" % (name, ms))


def main():
    payload = os.path.join(out, "payload")
    cases = [product("demo product", os.path.join(build_win, "app", "prismora-setup.exe"),
                     os.path.join(build_win, "app", "PQSETUP.qlc"), os.path.join(build_win, "demo-payload")),
             product("200 MB payload", os.path.join(large_win, "app", "prismora-setup.exe"),
                     os.path.join(large_win, "app", "PQSETUP.qlc"), payload,
                     os.path.join(BASELINE, "app", "prismora-setup.exe") if BASELINE else None)]
    for case in cases:
        print_product(case)
        print()
    j1, j2, same = pack(payload)
    print("qlcat pack of the 200 MB payload, level 9 (median of %d alternate runs):" % RUNS)
    print("  -j 1 %.2f s, -j 2 %.2f s, ratio %.2f; archives %s" % (j1, j2, j1 / j2,
                                                                   "byte-identical" if same else "DIFFERENT"))
    print()
    print("sizes (demo product build):")
    with open(stub_report) as f:
        for line in f:
            print("  " + line.rstrip())
    empty = os.path.join(out, "nsis-empty.exe")
    print("  NSIS 3 stub (its installer above built with no files): %d bytes" % os.path.getsize(empty))
    print("(written: the kernel's count of bytes the process tree wrote; floor: the installer's own extraction "
          "alone; load average %s)" % open("/proc/loadavg").read().split()[0])
    print()
    print_targets(cases, j1 / j2, same)


def print_targets(cases, pack_ratio, same):
    """Each target of the benchmark with this run's figure."""
    demo, large = (case["results"] for case in cases)

    def time_of(r, name):
        return r[name][0]

    rows = [("200 MB: ours /u / NSIS /S", time_of(large, "ours /u") / time_of(large, "NSIS /S"), 0.75),
            ("200 MB: ours /u / floor", time_of(large, "ours /u") / time_of(large, "qlcat.exe extract"), 1.15),
            ("demo: ours /u / NSIS /S", time_of(demo, "ours /u") / time_of(demo, "NSIS /S"), 1.0),
            ("200 MB: reinstall / first install, ours /u", cases[1]["reinstall"]["ours /u"] / time_of(large, "ours /u"),
             1.3),
            ("200 MB: quiet uninstall, ours / NSIS",
             cases[1]["uninstalls"]["ours /S"] / cases[1]["uninstalls"]["NSIS /S"], 1.0),
            ("200 MB: bytes written beyond the floor's, / payload",
             1 + (large["ours /u"][1] - large["qlcat.exe extract"][1]) / cases[1]["size"], 1.01),
            ("qlcat pack: -j 1 time / -j 2 time (at least)", pack_ratio, 1.8)]
    if "baseline /u" in large:
        floor = time_of(large, "qlcat.exe extract")
        rows.insert(2, ("200 MB: ours/floor over the baseline's ours/floor",
                        (time_of(large, "ours /u") / floor) / (time_of(large, "baseline /u") / floor), 1.05))
    print("targets:")
    for name, value, target in rows:
        met = value >= target if "at least" in name else value <= target
        print("  %-52s %7.3f  target %s %.2f  %s" % (name, value, ">=" if "at least" in name else "<=", target,
                                                     "met" if met else "MISSED"))
    print("  %-52s %7s" % ("qlcat pack: archives of -j 1 and -j 2", "same" if same else "DIFFERENT"))
    if "baseline /u" in large:
        # For comparison, no target: what a reinstall costs an installer
        # that keeps nothing aside, on this machine.
        print("  %-52s %7.3f" % ("200 MB: reinstall / first install, baseline /u",
                                 cases[1]["reinstall"]["baseline /u"] / time_of(large, "baseline /u")))


if __name__ == "__main__":
    empty_payload = os.path.join(out, "empty-payload")
    os.makedirs(empty_payload, exist_ok=True)
    with open(os.path.join(empty_payload, "README.TXT"), "w") as f:
        f.write("")
    shutil.copy(nsis_script("empty", empty_payload, 0), os.path.join(out, "nsis-empty.exe"))
    try:
        main()
    finally:
        shutil.rmtree(log_folder, ignore_errors=True)
