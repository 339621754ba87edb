#!/usr/bin/env python3
"""Results of scripts/bench.

  bench_report.py parse-time TOOL < time-v-output     one TSV line: tool wall user sys kB
  bench_report.py report --runs TSV --sizes JSON ...  medians, ratios, sizes; printed and
                                                      written into docs/performance.md
"""
import argparse
import datetime
import json
import os
import platform
import re
import statistics
import subprocess
import sys

TOOLS = ("setup", "nsis", "unzip", "baseline")
HEADER = """# Performance

Measured by `scripts/bench [MEGABYTES]`: a synthetic payload (fixed seed; code-like
binaries, text and incompressible images), the unattended setup built around it, an NSIS
installer of the same files (zlib, 64-bit, `/S`) and native `unzip` of the same archive,
run alternately under Wine after a warm-up, every run into a new folder.

How to read the numbers: the machine is shared and its load changes from minute to minute,
so single runs and absolute seconds mean little. Compare medians taken in one bench run,
and above all the ratios (setup / NSIS, setup / unzip), which both sides of a run share.
Wall time is what a user waits; user and system time are CPU seconds of the installing
process (wineserver not included); peak memory is the largest resident set
(`/usr/bin/time -v`). The sizes are bytes of the setup file as built by the bench.
"""


def parse_time(tool):
    text = sys.stdin.read()

    def field(label):
        return re.search(re.escape(label) + r".*?: (.+)", text).group(1).strip()

    wall = 0.0
    for part in field("Elapsed (wall clock) time").split(":"):
        wall = wall * 60 + float(part)
    print("\t".join([tool, f"{wall:.2f}", field("User time (seconds)"),
                     field("System time (seconds)"),
                     field("Maximum resident set size (kbytes)")]))


def medians(path):
    runs = {}
    with open(path) as f:
        for line in f:
            tool, *values = line.split()
            runs.setdefault(tool, []).append([float(v) for v in values])
    result = {}
    for tool, rows in runs.items():
        columns = list(zip(*rows))
        result[tool] = {
            "runs": len(rows),
            "wall": statistics.median(columns[0]),
            "user": statistics.median(columns[1]),
            "sys": statistics.median(columns[2]),
            "mib": statistics.median(columns[3]) / 1024,
        }
    return result


def machine():
    model = "unknown CPU"
    with open("/proc/cpuinfo") as f:
        for line in f:
            if line.startswith("model name"):
                model = line.split(":", 1)[1].strip()
                break
    try:
        wine = subprocess.run(["wine", "--version"], capture_output=True, text=True,
                              stdin=subprocess.DEVNULL).stdout.strip()
    except OSError:
        wine = "wine"
    load = os.getloadavg()
    return (f"{model}, {os.cpu_count()} cores, Linux {platform.release()}, {wine}; "
            f"load average {load[0]:.2f} / {load[1]:.2f} / {load[2]:.2f} at the end")


def kb(n):
    return f"{n / 1000:,.0f} KB" if n < 10_000_000 else f"{n / 1e6:,.1f} MB"


def block(args, m, sizes):
    s, n, u = m["setup"], m["nsis"], m["unzip"]
    b = m.get("baseline")
    stub = os.path.getsize(args.nsis_stub)
    when = datetime.datetime.now(datetime.timezone.utc).strftime("%Y-%m-%d %H:%M UTC")

    def row(label, key, unit, fmt, with_unzip):
        cells = [fmt.format(x[key]) + unit for x in ([b] if b else []) + [s, n, u]]
        ratios = [f"{s[key] / max(n[key], 0.01):.2f}",
                  f"{s[key] / max(u[key], 0.01):.2f}" if with_unzip else ""]
        return "| " + " | ".join([label] + cells + ratios) + " |"

    rows = [
        row("wall time", "wall", " s", "{:.2f}", True),
        row("CPU user", "user", " s", "{:.2f}", False),
        row("CPU system", "sys", " s", "{:.2f}", False),
        row("peak memory", "mib", " MiB", "{:.0f}", False),
        "| setup file without its payload | "
        + (f"{os.path.getsize(args.baseline) - sizes['payload']:,} bytes | " if b else "")
        + f"{sizes['without_payload']:,} bytes | {stub:,} bytes (stub) | "
        + f"| {sizes['without_payload'] / stub:.2f} | |",
    ]
    head = "| | " + ("earlier build (baseline) | " if b else "") + "this setup | NSIS peer " \
        + "| native `unzip` | setup / NSIS | setup / unzip |"
    lines = [
        f"<!-- bench {args.megabytes} MB: begin -->",
        f"### {args.megabytes} MB payload",
        "",
        f"{when}; {machine()}.",
        f"{args.files:,} files; archive {kb(os.path.getsize(args.archive))}; "
        f"medians of {s['runs']} runs each.",
        "",
        head,
        "|---" * (head.count("|") - 1) + "|",
        *rows,
        "",
        f"Setup file {sizes['file']:,} bytes: payload resource {sizes['payload']:,}, other "
        f"resources {sizes['other_resources']:,}, code and data {sizes['code_and_data']:,}, "
        f"symbols {sizes['symbols']:,}. NSIS installer "
        f"{os.path.getsize(args.nsis_installer):,} bytes, its stub alone {stub:,}.",
    ]
    if b:
        lines.append(f"Against the earlier build: wall time {s['wall'] / b['wall']:.2f}, "
                     f"peak memory {s['mib'] / b['mib']:.2f}.")
    lines.append(f"<!-- bench {args.megabytes} MB: end -->")
    return "\n".join(lines)


def write_doc(path, text, megabytes):
    doc = open(path, encoding="utf-8").read() if os.path.exists(path) else HEADER
    pattern = re.compile(rf"<!-- bench {megabytes} MB: begin -->.*?"
                         rf"<!-- bench {megabytes} MB: end -->", re.S)
    if pattern.search(doc):
        doc = pattern.sub(lambda _: text, doc)
    else:
        if "## Latest bench runs" not in doc:
            doc = doc.rstrip("\n") + "\n\n## Latest bench runs\n"
        doc = doc.rstrip("\n") + "\n\n" + text
    with open(path, "w", encoding="utf-8") as f:
        f.write(doc.rstrip("\n") + "\n")


def report(args):
    m = medians(args.runs)
    with open(args.sizes) as f:
        sizes = json.load(f)
    text = block(args, m, sizes)
    print("\n".join(line for line in text.splitlines() if not line.startswith("<!--")))
    write_doc(args.doc, text, args.megabytes)
    print(f"\nWritten to {os.path.relpath(args.doc)}")


def main():
    if len(sys.argv) == 3 and sys.argv[1] == "parse-time":
        parse_time(sys.argv[2])
        return
    ap = argparse.ArgumentParser()
    ap.add_argument("command", choices=["report"])
    for name in ("--runs", "--sizes", "--nsis-installer", "--nsis-stub", "--archive", "--doc"):
        ap.add_argument(name, required=True)
    ap.add_argument("--megabytes", type=int, required=True)
    ap.add_argument("--files", type=int, required=True)
    ap.add_argument("--baseline", help="an earlier build of the setup, run in the same rounds")
    report(ap.parse_args())


if __name__ == "__main__":
    main()
