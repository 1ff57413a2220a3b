#!/usr/bin/env python3
"""Turns the figures gathered by run.sh into docs/bench-results.md (printed to
standard output), with the ratios, the growth from one size to the next and
where each goal stands.

    format-results.py ROWS.tsv ORDERING.txt MESSAGES.txt MICRO.txt STARTED LOAD_BEFORE
                      LOAD_AFTER NPROC SYSTEM WINE
"""
import csv
import sys

GOAL_WINDOWED_RATIO = 3.0  # windowed full scan of 100k files / Wine floor
GOAL_GROWTH = 2.2  # windowed total, 100k -> 200k
GOAL_SCAN_RATIO = 1.5  # hulkmeter-scan / native floor
GOAL_BYTES_PER_FILE = 200  # hulkmeter-scan peak memory


def growth(rows, i, key):
    if i == 0:
        return ""
    before, now = rows[i - 1], rows[i]
    return f"×{now[key] / before[key]:.2f}"


def main():
    (rows_path, ordering_path, messages_path, micro_path, started, load_before, load_after,
     nproc, system, wine) = sys.argv[1:11]
    with open(rows_path) as rows_file:
        rows = [{k: float(v) for k, v in row.items()}
                for row in csv.DictReader(rows_file, delimiter="\t")]
    for row in rows:
        row["files"] = int(row["files"])
        row["bytes_per_file"] = row["peak_kib"] * 1024 / row["files"]

    out = []
    say = out.append
    say("# Benchmark results")
    say("")
    say("Written by `bench/run.sh`; run it again to regenerate this file. Every figure is from one run of it.")
    say("")
    say(f"- date: {started}")
    say(f"- machine: {system}, {nproc} processors, {wine}")
    say(f"- load before: `{load_before.strip()}`")
    say(f"- load after: `{load_after.strip()}`")
    say("")
    say("## Scan against the floor")
    say("")
    say("Times in seconds, each the best of five runs. The Wine floor is a bare `FindFirstFileW` walk that")
    say("only counts files. The windowed program is timed from command 1 until its worker's last call has")
    say("returned (rows ordered, row 0 selected): \"walk+rows\" up to the ordering's call on the UI thread,")
    say("\"ordering\" that call, both read inside the program by a window procedure the bench puts on its main")
    say("window, so the busy UI thread is never polled. \"Ordering alone\" times the same ordering in a list of")
    say("the bench's own. The native floor is a bare readdir + stat walk; `hulkmeter-scan` is timed end to end")
    say("with its output sent to /dev/null. Growth is the time at this size over the time at the size above it.")
    say("")
    say("| files | Wine floor | walk+rows | ordering | windowed | windowed / floor | windowed growth"
        " | ordering alone | native floor | hulkmeter-scan | scan / floor | scan growth | peak memory | bytes per file |")
    say("|---:|---:|---:|---:|---:|---:|---:|---:|---:|---:|---:|---:|---:|---:|")
    for i, row in enumerate(rows):
        say(f"| {row['files']} | {row['wine_floor']:.3f} | {row['walk_rows']:.3f} | {row['ordering']:.3f}"
            f" | {row['windowed']:.3f} | {row['windowed'] / row['wine_floor']:.2f}"
            f" | {growth(rows, i, 'windowed')} | {row['sort_alone']:.3f} | {row['native_walk']:.3f} | {row['scan']:.3f}"
            f" | {row['scan'] / row['native_walk']:.2f} | {growth(rows, i, 'scan')}"
            f" | {row['peak_kib'] / 1024:.1f} MiB | {row['bytes_per_file']:.0f} |")
    say("")

    say("## Goals")
    say("")
    by_files = {row["files"]: row for row in rows}
    big, bigger = by_files.get(100000), by_files.get(200000)

    def verdict(ok):
        return "met" if ok else "missed"

    if big:
        ratio = big["windowed"] / big["wine_floor"]
        say(f"- windowed scan of 100k files within {GOAL_WINDOWED_RATIO:g}× the Wine floor:"
            f" {ratio:.2f}× ({verdict(ratio <= GOAL_WINDOWED_RATIO)})")
    if big and bigger:
        ratio = bigger["windowed"] / big["windowed"]
        say(f"- windowed growth from 100k to 200k at most {GOAL_GROWTH:g}×: {ratio:.2f}×"
            f" ({verdict(ratio <= GOAL_GROWTH)})")
    worst = max(rows, key=lambda row: row["scan"] / row["native_walk"])
    ratio = worst["scan"] / worst["native_walk"]
    say(f"- hulkmeter-scan within {GOAL_SCAN_RATIO:g}× the native floor: worst {ratio:.2f}× at {worst['files']}"
        f" files ({verdict(ratio <= GOAL_SCAN_RATIO)})")
    worst = max(rows, key=lambda row: row["bytes_per_file"])
    say(f"- hulkmeter-scan peak memory under {GOAL_BYTES_PER_FILE} bytes per file: worst"
        f" {worst['bytes_per_file']:.0f} at {worst['files']} files"
        f" ({verdict(worst['bytes_per_file'] < GOAL_BYTES_PER_FILE)})")
    say("")

    def fenced(title, text, path):
        """A heading, the lines saying what follows, and a file's figures as they were printed."""
        say(f"## {title}")
        say("")
        if text:
            out.extend(text)
            say("")
        say("```")
        with open(path) as figures:
            out.extend(line.rstrip() for line in figures)
        say("```")

    fenced("Ordering alone (Wine, a hidden report list of the bench's own)", [
        "The program's SortBySize at each size, with every size below 4 GiB (one key pass) and with one of",
        "5 GiB among them (two passes), and one key pass with its steps timed one by one.",
    ], ordering_path)
    say("")
    fenced("List messages at 25k rows (Wine, a hidden report list)", [
        "Redrawing on against off, and one cross-thread `SendMessageW` per list message (five a row) against",
        "one per batch of 256 rows; a row put in at index 0, as the program adds them, against one put at the",
        "end, at the largest size; then the cost of a row by how many rows the list already holds.",
    ], messages_path)
    say("")
    fenced("Micro-benchmarks (native, Google Benchmark)", [], micro_path)
    print("\n".join(out))


if __name__ == "__main__":
    main()
