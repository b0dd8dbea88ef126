#!/usr/bin/python3
"""Times calcurse and remind on the same number of items as our benchmarks, and prints the ratio.

Usage: bench/peers.py BENCH_BIN_FOLDER [--with-100k]
Each agenda gets N appointments generated in its own format: calcurse imports an iCalendar file
of N events, lists today's appointments (-a) and exports (-x); remind reads a file of N REM
lines for one day. Ours are the medians of our benchmarks at the same N, run now on this machine.
Only run as black boxes: the peers' outputs are thrown away.
"""
import json
import os
import shutil
import statistics
import subprocess
import sys
import tempfile
import time


def median_seconds(command, runs=3, stdin=None):
    times = []
    for _ in range(runs):
        start = time.perf_counter()
        subprocess.run(command, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, check=False,
                       stdin=stdin)
        times.append(time.perf_counter() - start)
    return statistics.median(times)


def ics_of(count):
    lines = ["BEGIN:VCALENDAR", "VERSION:2.0", "PRODID:-//tavelo bench//FR"]
    for i in range(count):
        day = 1 + i // 96
        year, month, dom = 2025, 1 + (day - 1) // 28 % 12, 1 + (day - 1) % 28
        year += (day - 1) // (28 * 12)
        hour, minute = i % 96 // 4, i % 4 * 15
        lines += ["BEGIN:VEVENT", f"UID:{i}@bench",
                  f"DTSTART:{year:04d}{month:02d}{dom:02d}T{hour:02d}{minute:02d}00",
                  f"DTEND:{year:04d}{month:02d}{dom:02d}T{hour:02d}{minute + 10:02d}00",
                  f"SUMMARY:planification {i}", "END:VEVENT"]
    lines.append("END:VCALENDAR")
    return "\r\n".join(lines) + "\r\n"


def remind_of(count):
    months = ["Jan", "Feb", "Mar", "Apr", "May", "Jun", "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"]
    lines = []
    for i in range(count):
        day = i // 96
        hour, minute = i % 96 // 4, i % 4 * 15
        lines.append(f"REM {1 + day % 28} {months[day // 28 % 12]} {2025 + day // 336} "
                     f"AT {hour:02d}:{minute:02d} MSG planification {i}")
    return "\n".join(lines) + "\n"


def ours(bench_folder, binary, name, count, largest):
    command = [os.path.join(bench_folder, binary), f"--benchmark_filter=^{name}/{count}/",
               "--benchmark_format=json"] + (["--with-100k"] if largest else [])
    out = subprocess.run(command, capture_output=True, text=True, check=True).stdout
    for b in json.loads(out)["benchmarks"]:
        if b.get("aggregate_name") == "median":
            return b["real_time"] / 1000
    raise RuntimeError(f"no median for {name}/{count}")


def main():
    bench_folder = sys.argv[1]
    largest = "--with-100k" in sys.argv
    for tool in ("calcurse", "remind"):
        if shutil.which(tool) is None:
            sys.exit(f"{tool} is not installed (apt-get install {tool})")
    rows = []
    for count in [1000, 10000] + ([100000] if largest else []):
        with tempfile.TemporaryDirectory(prefix="tavelo-peers-") as folder:
            ics = os.path.join(folder, "items.ics")
            with open(ics, "w", encoding="utf-8") as f:
                f.write(ics_of(count))
            data = os.path.join(folder, "calcurse")
            os.mkdir(data)
            base = ["calcurse", "-D", data, "-C", data, "-q"]
            start = time.perf_counter()
            subprocess.run(base + ["-i", ics], stdout=subprocess.DEVNULL,
                           stderr=subprocess.DEVNULL, stdin=subprocess.DEVNULL, check=False)
            imported = time.perf_counter() - start
            listed = median_seconds(base + ["-a"], stdin=subprocess.DEVNULL)
            exported = median_seconds(base + ["-x"], stdin=subprocess.DEVNULL)
            rem = os.path.join(folder, "items.rem")
            with open(rem, "w", encoding="utf-8") as f:
                f.write(remind_of(count))
            reminded = median_seconds(["remind", "-q", rem, "2025-01-14"])
        rows += [
            ("exchange import, all chosen", count, "calcurse -i", imported,
             ours(bench_folder, "bench_exchange", "BM_ImportExchangeFileWhole", count, largest)),
            ("management pass", count, "calcurse -a", listed,
             ours(bench_folder, "bench_management", "BM_ManagementPass", count, largest)),
            ("management pass", count, "remind (one day)", reminded,
             ours(bench_folder, "bench_management", "BM_ManagementPass", count, largest)),
            ("export", count, "calcurse -x", exported,
             ours(bench_folder, "bench_exchange", "BM_ExportEveryPlanning", count, largest)),
            ("backup write", count, "calcurse -x", exported,
             ours(bench_folder, "bench_maintenance", "BM_WriteBackup", count, largest)),
        ]
    print(f"{'operation':30} {'N':>7} {'peer':18} {'peer ms':>10} {'ours ms':>10} {'ours/peer':>9}")
    for operation, count, peer, peer_s, ours_s in rows:
        print(f"{operation:30} {count:>7} {peer:18} {peer_s * 1000:10.1f} {ours_s * 1000:10.1f} "
              f"{ours_s / peer_s:9.2f}")


if __name__ == "__main__":
    main()
