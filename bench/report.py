#!/usr/bin/env python3
"""Turns the raw figures of scripts/bench.sh into its Markdown table.

    bench/report.py RAW.tsv INSTRUCTIONS.txt BASELINE.txt --runs N --idle S [--json FILE]

RAW.tsv holds one figure a line (run, subject, metric, value). Prints the table
(min / median / max per program and the ratio of the medians, orbl3 / bare)
and the instruction count of the simulated scenario against the stored
baseline, with a warning above +20 %. Never fails on a figure.
"""

import argparse
import collections
import csv
import json
import statistics
import sys

ROWS = [
    # metric, label, unit, bare's metric for the comparison
    ("icon_ms", "exec → tray icon requested", "ms", "icon_ms"),
    ("idle_ms", "exec → idle in its message loop", "ms", "idle_ms"),
    ("close_ms", "WM_CLOSE → process ended", "ms", "close_ms"),
    ("uss_kib", "private memory (USS) after {settle} s idle", "KiB", "uss_kib"),
    ("rss_kib", "RSS after {settle} s idle", "KiB", "rss_kib"),
    ("threads", "threads after {settle} s idle", "", "threads"),
    ("syscalls", "system calls in {idle} s idle", "", "syscalls"),
    ("ctxt", "context switches in {idle} s idle", "", "ctxt"),
    ("ctxt_autoclose", "context switches from a removal to {wait} s later (the automatic close"
     " runs)", "", None),
    ("syscalls_after_removal", "system calls in {idle} s idle, after a removal's automatic close¹",
     "", "syscalls"),
    ("ctxt_after_removal", "context switches in {idle} s idle, after a removal's automatic close¹",
     "", "ctxt"),
]
# The Linux program against the bare Qt tray program (scripts/bench.sh --linux).
LINUX_ROWS = [
    ("dock_ms", "exec → dock request, every start", "ms", "dock_ms"),
    ("term_ms", "SIGTERM → process ended", "ms", "term_ms"),
    ("uss_kib", "private memory (USS) after {settle} s idle", "KiB", "uss_kib"),
    ("rss_kib", "RSS after {settle} s idle", "KiB", "rss_kib"),
    ("threads", "threads after {settle} s idle", "", "threads"),
    ("syscalls", "system calls in {idle} s idle", "", "syscalls"),
    ("ctxt", "context switches in {idle} s idle", "", "ctxt"),
] + ROWS[-3:] + [
    ("threads_after_beep", "threads 1 s after ten beeps²", "", "threads"),
    ("syscalls_after_beep", "system calls in {idle} s idle, after ten beeps²", "", "syscalls"),
    ("ctxt_after_beep", "context switches in {idle} s idle, after ten beeps²", "", "ctxt"),
]
WARN_ABOVE = 0.20


def number(text):
    value = float(text)
    return int(value) if value.is_integer() else value


def show(value):
    if value is None:
        return "–"
    if isinstance(value, float) and not value.is_integer():
        return f"{value:.1f}"
    return f"{int(value):,}".replace(",", " ")


def spread(values):
    if not values:
        return None
    return min(values), statistics.median(values), max(values)


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("raw")
    parser.add_argument("instructions", nargs="?")
    parser.add_argument("baseline", nargs="?")
    parser.add_argument("--linux", action="store_true")
    parser.add_argument("--runs", type=int, required=True)
    parser.add_argument("--idle", type=int, required=True)
    parser.add_argument("--settle", type=int, default=5)
    parser.add_argument("--autoclose-wait", type=int, default=18)
    parser.add_argument("--json")
    args = parser.parse_args()

    figures = collections.defaultdict(list)  # (subject, metric) -> values
    with open(args.raw, newline="") as raw:
        for row in csv.DictReader(raw, delimiter="\t"):
            if row["value"] != "":
                figures[(row["subject"], row["metric"])].append(number(row["value"]))

    program = "orbl3" if args.linux else "orbl3.exe"
    print(f"| {args.runs} run(s) each | {program} min / median / max "
          "| bare tray min / median / max | orbl3 / bare (medians) |")
    print("|---|---|---|---|")
    results = {}
    for metric, label, unit, bare_metric in (LINUX_ROWS if args.linux else ROWS):
        mine = spread(figures[("orbl3", metric)])
        bare = spread(figures[("bare", bare_metric)]) if bare_metric else None
        name = label.format(settle=args.settle, idle=args.idle, wait=args.autoclose_wait) + (f" ({unit})" if unit else "")
        ratio = "–"
        if mine and bare and bare[1]:
            ratio = f"{mine[1] / bare[1]:.2f}"
        cells = [" / ".join(show(v) for v in s) if s else "–" for s in (mine, bare)]
        print(f"| {name} | {cells[0]} | {cells[1]} | {ratio} |")
        results[metric] = {"orbl3": figures[("orbl3", metric)],
                           "bare": figures[("bare", bare_metric)] if bare_metric else []}
    print()
    print("¹ bare tray: its figures without a removal, which it does not handle.")
    if args.linux:
        print("² bare tray: its figures without beeps, which it does not make.")
        if args.json:
            with open(args.json, "w") as out:
                json.dump(results, out, indent=2)
        return 0

    with open(args.instructions) as text:
        instructions = int(text.read().split()[0])
    baseline = None
    with open(args.baseline) as text:
        for line in text:
            parts = line.split()
            if len(parts) == 2 and parts[0] == "instructions":
                baseline = int(parts[1])
    print()
    line = (f"Simulated scenario (bench/sim_scenario, callgrind): {show(instructions)} "
            "instructions")
    if baseline:
        change = instructions / baseline - 1
        line += f"; baseline {show(baseline)} ({change:+.1%})"
        if change > WARN_ABOVE:
            line += f" — WARNING: more than {WARN_ABOVE:+.0%} above the baseline"
    print(line)
    results["instructions"] = {"count": instructions, "baseline": baseline}

    if args.json:
        with open(args.json, "w") as out:
            json.dump(results, out, indent=2)
    return 0


if __name__ == "__main__":
    sys.exit(main())
