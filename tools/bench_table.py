#!/usr/bin/env python3
"""Joins the results of one scripts/bench run into one table.

Usage: tools/bench_table.py RESULTS_DIR [--markdown FILE --command TEXT]

RESULTS_DIR holds the Google Benchmark JSON files (server.json, fts5.json,
transport.json, format.json) and timings.json (wall times in microseconds
measured by the script: init, convert, yardstick convert). A benchmark run in
repetitions counts by its median. Each row is a figure of this
project next to its yardstick measured in the same run, with the ratio
"times better than the yardstick" (above 1: ahead of it) and the goal.
With --markdown the table, the machine's description and the command are
written to FILE as well.
"""

import datetime
import json
import os
import platform
import subprocess
import sys


def load(directory, name):
    path = os.path.join(directory, name)
    if not os.path.exists(path):
        return {}
    with open(path, encoding="utf-8") as f:
        data = json.load(f)
    if name == "timings.json":
        return data
    # A benchmark run in repetitions counts by its median.
    runs, medians = {}, {}
    for run in data.get("benchmarks", []):
        if run.get("run_type") != "aggregate":
            runs[run["name"]] = run
        elif run.get("aggregate_name") == "median":
            medians[run["run_name"]] = run
    runs.update(medians)
    return runs


def seconds(run):
    """Real time of one iteration in seconds."""
    scale = {"ns": 1e-9, "us": 1e-6, "ms": 1e-3, "s": 1.0}[run.get("time_unit", "ns")]
    return run["real_time"] * scale


def find(runs, prefix):
    for name, run in runs.items():
        if name.startswith(prefix):
            return run
    return None


def fmt_time(value):
    if value is None:
        return "—"
    if value >= 1:
        return "%.2f s" % value
    if value >= 1e-3:
        return "%.2f ms" % (value * 1e3)
    return "%.1f µs" % (value * 1e6)


def fmt_rate(value, unit):
    if value is None:
        return "—"
    if value >= 1e6:
        return "%.2fM %s" % (value / 1e6, unit)
    if value >= 1e3:
        return "%.1fk %s" % (value / 1e3, unit)
    return "%.0f %s" % (value, unit)


def rows(directory):
    server = load(directory, "server.json")
    fts5 = load(directory, "fts5.json")
    transport = load(directory, "transport.json")
    formats = load(directory, "format.json")
    timings = load(directory, "timings.json")
    table = []

    def timed(work, ours, yardstick, name, goal):
        ours_s = seconds(ours) if ours else None
        yard_s = seconds(yardstick) if yardstick else None
        ratio = yard_s / ours_s if ours_s and yard_s else None
        table.append((work, fmt_time(ours_s), name + " " + fmt_time(yard_s), ratio, goal))

    hits = lambda run: " (%d hits)" % run["hits"] if run and "hits" in run else ""
    for work, ours, yard in [
        ("one-term search", "BM_OneTermSearch", "BM_Fts5OneTerm"),
        ("AND of two frequent terms", "BM_AndOfTwoFrequentTerms", "BM_Fts5AndOfTwoFrequentTerms"),
        ("truncated term K=WE$", "BM_TruncatedTerm", "BM_Fts5TruncatedTerm"),
    ]:
        run = find(server, ours)
        timed(work + hits(run), run, find(fts5, yard), "FTS5", "≥ 2")

    for work, name, goal in [
        ("32 clients: search, brief format, 10 hits", "BM_SearchThroughput32Clients", "≥ 5000/s"),
        ("32 clients: no-operation", "BM_NoOperationThroughput32Clients", "≥ 10000/s"),
        ("32 clients: record read", "BM_RecordReadThroughput32Clients", "≥ 10000/s"),
    ]:
        run = find(server, name)
        rate = run.get("items_per_second") if run else None
        table.append((work, fmt_rate(rate, "req/s"), "—", None, goal))

    micro = lambda key: timings[key] / 1e6 if key in timings else None
    init = micro("init_us")
    table.append(("talor-server init of %s records" % timings.get("records", "?"),
                  fmt_time(init), "—", None, "≤ 60 s"))

    plain = find(transport, "BM_PlainSocketRead")
    for blocking in (0, 1):
        run = find(transport, "BM_TransportExchange/blocking:%d" % blocking)
        label = "one exchange with a 50 MB answer" + (" (blocking path)" if blocking else "")
        timed(label, run, plain, "plain loopback read", "≥ 0.7")

    copy = find(formats, "BM_CopyRecordBytes")
    for kind, goal in (("Brief", "≥ 1M/s"), ("Full", "≥ 200k/s"), ("Heavy", "")):
        run = find(formats, "BM_Format" + kind)
        rate = run.get("items_per_second") if run else None
        copy_rate = copy.get("items_per_second") if copy else None
        ratio = rate / copy_rate if rate and copy_rate else None
        table.append(("%s format, records/s" % kind.lower(), fmt_rate(rate, "rec/s"),
                      "copying the record bytes " + fmt_rate(copy_rate, "rec/s"), ratio, goal))

    ours = micro("convert_us")
    yard = micro("yaz_us")
    table.append(("talor-tool convert ISO → text (%s)" % timings.get("convert_input", "?"),
                  fmt_time(ours), "yaz-marcdump -o line " + fmt_time(yard),
                  yard / ours if ours and yard else None, "≥ 2"))
    return table


def render(table):
    lines = ["| Work | This project | Yardstick in the same run | Ratio | Goal |",
             "|---|---|---|---|---|"]
    for work, ours, yard, ratio, goal in table:
        ratio_text = "%.2f×" % ratio if ratio is not None else "—"
        lines.append("| %s | %s | %s | %s | %s |" % (work, ours, yard, ratio_text, goal))
    return "\n".join(lines) + "\n"


def machine():
    model = ""
    try:
        with open("/proc/cpuinfo", encoding="utf-8") as f:
            for line in f:
                if line.startswith("model name"):
                    model = line.split(":", 1)[1].strip()
                    break
    except OSError:
        pass
    memory = os.sysconf("SC_PAGE_SIZE") * os.sysconf("SC_PHYS_PAGES") / 2**30
    commit = subprocess.run(["git", "rev-parse", "--short", "HEAD"], capture_output=True,
                            text=True, check=False).stdout.strip()
    return "%s, %d cores, %.0f GiB, %s; commit %s, %s" % (
        model or platform.processor(), os.cpu_count(), memory, platform.platform(), commit,
        datetime.date.today().isoformat())


def main():
    if len(sys.argv) < 2:
        sys.exit(__doc__)
    table = render(rows(sys.argv[1]))
    sys.stdout.write(table)
    if "--markdown" in sys.argv:
        target = sys.argv[sys.argv.index("--markdown") + 1]
        command = sys.argv[sys.argv.index("--command") + 1] if "--command" in sys.argv else ""
        with open(target, "w", encoding="utf-8") as f:
            f.write("# Benchmark results\n\nThe last run of `%s`.\n\nMachine: %s.\n\n"
                    "Ratio: how many times this project is ahead of the yardstick "
                    "(above 1: faster).\n\n" % (command, machine()))
            f.write(table)


if __name__ == "__main__":
    main()
