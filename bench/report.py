#!/usr/bin/env python3
"""Writes docs/benchmarks.md from one `make bench` run.

report.py HOST.json WINE.tsv ROUNDS LOAD_BEFORE > docs/benchmarks.md

HOST.json is Google Benchmark's output of bench/host_bench (repetitions with
min, median and max); WINE.tsv holds the figures of bench/wine_bench, one
line per figure and round (milliseconds, or nanoseconds for *_ns)."""
import collections
import json
import os
import platform
import statistics
import subprocess
import sys

PACING_MS = 2900  # 29 paced steps of 100 ms in every removal run
TREE_FILES = 10000  # files of the benchmark tree (100 folders of 100)


def run(command):
    try:
        return subprocess.run(command, shell=True, capture_output=True, text=True,
                              timeout=30).stdout.strip()
    except Exception:
        return ""


def spread(values):
    return min(values), statistics.median(values), max(values)


def ms(value):
    return f"{value:,.1f}"


def machine(load_before):
    cpu = run("lscpu | sed -n 's/^Model name: *//p'") or platform.processor()
    cores = os.cpu_count()
    memory = run("free -g | awk '/^Mem:/{print $2}'")
    system = run(". /etc/os-release && echo $PRETTY_NAME")
    load_after = open("/proc/loadavg").read().split()[:3]
    return [
        f"- CPU: {cpu}, {cores} cores; memory: {memory} GiB",
        f"- System: {system}, Linux {platform.release()}",
        f"- Wine: {run('wine --version')} " + (("(the shipped 32-bit program under WOW64, its 32-bit code "
            "emulated by qemu: the kernel here runs no 32-bit code, so the Wine figures are figures of "
            "emulation, far slower than Windows)" if emulated32() else
            "(the shipped 32-bit program runs natively under WOW64)")
            if os.access("/usr/lib/wine/wine", os.X_OK) else
            "(no 32-bit Wine here: the Wine figures are those of the 64-bit twin, build/win64/unins.exe, "
            "and the 64-bit stopwatch and floor)"),
        f"- Compilers: {run('g++ --version | head -1')}; {run('i686-w64-mingw32-g++ --version | head -1')}",
        f"- Program: {run('git rev-parse --short HEAD')}"
        f"{' with uncommitted changes' if run('git status --porcelain -- src res cmake') else ''}, "
        f"build/win32/unins.exe {os.path.getsize('build/win32/unins.exe'):,} bytes",
        f"- Load average before / after: {load_before} / {' '.join(load_after)}",
        "- A load average above 1 means other work shared the two cores while this ran: "
        "single figures are then noisy; read the medians.",
    ]


def emulated32():
    """True where qemu's user-mode emulator runs 32-bit code (scripts/setup)."""
    try:
        return open("/proc/sys/fs/binfmt_misc/qemu-i386").readline().strip() == "enabled"
    except OSError:
        return False


def host_section(path):
    data = json.load(open(path))
    rows = collections.OrderedDict()
    for b in data["benchmarks"]:
        if b.get("run_type") != "aggregate":
            continue
        name = b["run_name"]
        rows.setdefault(name, {})[b["aggregate_name"]] = b
    lines = ["| Benchmark | CPU min | CPU median | CPU max | unit | wall median | counters |",
             "|---|---:|---:|---:|---|---:|---|"]
    medians = {}
    for name, agg in rows.items():
        if "median" not in agg:
            continue
        med, lo, hi = agg["median"], agg.get("min", agg["median"]), agg.get("max", agg["median"])
        unit = med.get("time_unit", "ns")
        counters = []
        for key in ("compares", "compares/entry", "matched"):
            if key in med:
                counters.append(f"{key} {med[key]:,.2f}".rstrip("0").rstrip("."))
        if "items_per_second" in med:
            counters.append(f"{med['items_per_second'] / 1e6:,.2f} M items/s")
        lines.append(f"| {name} | {ms(lo['cpu_time'])} | {ms(med['cpu_time'])} | {ms(hi['cpu_time'])} "
                     f"| {unit} | {ms(med['real_time'])} | {', '.join(counters)} |")
        medians[name] = med
    growth = ["| LoadLog | 1,000 | 5,000 | 19,999 | 19,999 / 1,000 | fitted |",
              "|---|---:|---:|---:|---:|---|"]
    big_o = {b["run_name"] if "run_name" in b else b["name"]: b for b in data["benchmarks"]
             if b.get("aggregate_name") == "BigO"}
    for order in ("ordered", "shuffled"):
        t = [medians.get(f"BM_LoadLog/{order}/{n}", {}).get("cpu_time") for n in (1000, 5000, 19999)]
        if None in t:
            continue
        fit = next((f"{b['cpu_coefficient']:.3g} {b['big_o']}" for k, b in big_o.items()
                    if f"LoadLog/{order}" in k), "")
        growth.append(f"| {order} | {ms(t[0])} ms | {ms(t[1])} ms | {ms(t[2])} ms | "
                      f"{t[2] / t[0]:.1f} (n: 20.0, n log n: 28.7, n²: 400) | {fit} |")
    return lines, growth, medians


def wine_section(path):
    figures = collections.defaultdict(dict)
    for line in open(path):
        name, rnd, value = line.split("\t")
        figures[name][int(rnd)] = float(value)
    rounds = sorted(figures["small_dialog"])

    def per_round(fn):
        out = []
        for r in rounds:
            try:
                out.append(fn(r))
            except KeyError:
                pass
        return out

    f = figures
    derived = collections.OrderedDict()
    derived["shuffled 19,999-entry log to the dialog"] = per_round(lambda r: f["shuffled_dialog"][r])
    derived["ordered 19,999-entry log to the dialog"] = per_round(lambda r: f["ordered_dialog"][r])
    derived["10-entry log to the dialog, before the large ones"] = per_round(lambda r: f["small_dialog"][r])
    derived["10-entry log to the dialog, after them"] = per_round(lambda r: f["small_dialog_after"][r])

    def small(r):
        return (f["small_dialog"][r] + f["small_dialog_after"][r]) / 2

    derived["cost of the shuffled log (shuffled − mean of the two 10-entry runs)"] = per_round(
        lambda r: f["shuffled_dialog"][r] - small(r))
    derived["cost of the ordered log (ordered − mean of the two 10-entry runs)"] = per_round(
        lambda r: f["ordered_dialog"][r] - small(r))
    log_rows = derived

    tree = collections.OrderedDict()
    tree["unins.exe, U entry mode 1, to its Finish button"] = per_round(lambda r: f["tree_unins_done"][r])
    tree["unins.exe, pacing (2.9 s) subtracted"] = per_round(lambda r: f["tree_unins_done"][r] - PACING_MS)
    tree["`cmd /c rd /s /q`"] = per_round(lambda r: f["tree_rd"][r])
    tree["floor (FindFirstFileW/FindNextFileW, DeleteFileW, RemoveDirectoryW, long-form paths)"] = per_round(
        lambda r: f["tree_floor"][r])
    tree["floor with LCMapStringW upper-casing each path (+fold)"] = per_round(
        lambda r: f["tree_floor_fold"][r])
    tree["unins.exe with the 10-entry log to its Finish button (start, dialog, pacing)"] = per_round(
        lambda r: f["small_done"][r])
    tree["start of `cmd /c rd` on an empty folder"] = per_round(lambda r: f["start_rd"][r])
    tree["start of the floor on an empty folder"] = per_round(lambda r: f["start_floor"][r])
    tree["unins.exe, the walk alone (tree − 10-entry run)"] = per_round(
        lambda r: f["tree_unins_done"][r] - f["small_done"][r])
    tree["floor, the walk alone (tree − empty folder)"] = per_round(
        lambda r: f["tree_floor"][r] - f["start_floor"][r])
    ratios = collections.OrderedDict()
    ratios["unins.exe − pacing, against the floor"] = per_round(
        lambda r: (f["tree_unins_done"][r] - PACING_MS) / f["tree_floor"][r])
    ratios["unins.exe − pacing, against `rd /s /q`"] = per_round(
        lambda r: (f["tree_unins_done"][r] - PACING_MS) / f["tree_rd"][r])
    ratios["unins.exe's walk against the floor's walk (process starts out)"] = per_round(
        lambda r: (f["tree_unins_done"][r] - f["small_done"][r]) /
        (f["tree_floor"][r] - f["start_floor"][r]))
    # what each of the 10,000 files costs, in microseconds
    per_file = collections.OrderedDict()
    per_file["the floor's walk: listing, DeleteFileW, the folders' share"] = per_round(
        lambda r: (f["tree_floor"][r] - f["start_floor"][r]) * 1000 / TREE_FILES)
    per_file["upper-casing the path for the handled-path set (+fold − floor)"] = per_round(
        lambda r: (f["tree_floor_fold"][r] - f["tree_floor"][r]) * 1000 / TREE_FILES)
    per_file["the rest of the program's walk (set, pool, plan, guard per folder)"] = per_round(
        lambda r: ((f["tree_unins_done"][r] - f["small_done"][r]) - f["tree_floor_fold"][r] +
                   f["start_floor"][r]) * 1000 / TREE_FILES)
    per_file["unins.exe's walk in all (tree − 10-entry run)"] = per_round(
        lambda r: (f["tree_unins_done"][r] - f["small_done"][r]) * 1000 / TREE_FILES)
    compares = collections.OrderedDict(
        (name[:-3], list(v.values())) for name, v in f.items() if name.endswith("_ns"))
    return rounds, log_rows, tree, ratios, per_file, compares


def table(rows, unit, digits=1):
    lines = [f"| Figure | min | median | max | ({unit}) |", "|---|---:|---:|---:|---|"]
    for name, values in rows.items():
        if values:
            lo, med, hi = spread(values)
            lines.append(f"| {name} | {lo:,.{digits}f} | {med:,.{digits}f} | {hi:,.{digits}f} | |")
    return lines


def main():
    host_json, wine_tsv, rounds_asked, load_before = sys.argv[1:5]
    host_rows, growth, host = host_section(host_json)
    rounds, log_rows, tree, ratios, per_file, compares = wine_section(wine_tsv)

    def median(rows, name):
        return statistics.median(rows[name]) if rows.get(name) else float("nan")

    shuffled_cost = median(log_rows, "cost of the shuffled log (shuffled − mean of the two 10-entry runs)")
    ratio_floor = median(ratios, "unins.exe − pacing, against the floor")
    host_ordered = host.get("BM_LoadLog/ordered/19999", {}).get("cpu_time", float("nan"))
    host_shuffled = host.get("BM_LoadLog/shuffled/19999", {}).get("cpu_time", float("nan"))
    calls = host.get("BM_LoadLog/shuffled/19999", {}).get("compares", float("nan"))
    late = statistics.median(compares.get("compare_late", [float("nan")]))
    early = statistics.median(compares.get("compare_early", [float("nan")]))

    def verdict(value, goal):
        return "met" if value <= goal else "missed"

    out = ["# Benchmarks", "",
           "Written by `make bench` (bench/host_bench, bench/wine_bench, bench/report.py). "
           "Do not edit by hand: run `make bench` again.", "", "## Machine", ""]
    out += machine(load_before)
    out += ["", "## Command", "",
            "    make bench            # ROUNDS=" + rounds_asked + " Wine rounds",
            "",
            "It builds the win32 and host presets, runs `build/host/bench/host_bench "
            "--benchmark_repetitions=5 --benchmark_report_aggregates_only=true` (CPU time; "
            "min, median and max over the 5 repetitions), starts the benchmark's own sealed "
            "Wine prefix (`scripts/wine-env start build/bench/wine`), runs "
            f"`build/host/bench/wine_bench` for {len(rounds)} rounds (min, median and max over "
            "the rounds) and writes this file.", "",
            "## Goals", "",
            "| Goal | Figure (median) | Result |", "|---|---:|---|",
            f"| Host: load and sort a 19,999-entry log in installation order ≤ 10 ms | {ms(host_ordered)} ms | {verdict(host_ordered, 10)} |",
            f"| Host: the same log shuffled ≤ 50 ms | {ms(host_shuffled)} ms | {verdict(host_shuffled, 50)} |",
            f"| Wine: cost of a shuffled 19,999-entry log to the dialog ≤ 1.5 s (most of it is Wine's `CompareStringA`) | {ms(shuffled_cost)} ms | {verdict(shuffled_cost, 1500)} |",
            f"| Wine: 10,000-file tree, pacing out, ≤ 1.3 × the wide floor | {ratio_floor:.2f} × | {verdict(ratio_floor, 1.3)} |",
            "",
            "## Host (Google Benchmark)", "",
            "The host seam compares text by folding ASCII case where the program calls "
            "`CompareStringA`: the counts of comparisons are the program's, their cost is not "
            "(see CompareStringA under Wine below). The distribution's benchmark library "
            "reports itself as a debug build; that touches its own bookkeeping, not the "
            "code measured.", ""]
    out += host_rows
    out += ["", "How the loader's cost grows from 1,000 to 19,999 entries (CPU medians):", ""]
    out += growth
    out += ["",
            "In installation order every new line sorts after the last one, and costs one "
            "comparison and no move: the growth is linear. Shuffled, each line costs a binary "
            "search (about log2 n comparisons) and a move of the shorter side of the set's "
            "pointers (n/4 on average), so the cost grows with n²; at 19,999 entries the "
            "moves and the comparisons share it.", "",
            "## Wine", "",
            "Every figure is timed inside Wine by bench/win32/stopwatch.c from its "
            "`CreateProcessA` of the program: a process start is in each figure, and is taken "
            "out by the differences below.", "",
            "### The log, from the start of the removal stage to its dialog", ""]
    out += table(log_rows, "ms")
    out += ["",
            f"`CompareStringA` as the program calls it (user default locale, NORM_IGNORECASE), "
            "per call:", ""]
    out += table(collections.OrderedDict(
        [("entry texts that differ in their folder (early)", compares.get("compare_early", [])),
         ("entry texts that differ in the file's number (late)", compares.get("compare_late", [])),
         ("the same with the user's LCID passed instead of LOCALE_USER_DEFAULT",
          compares.get("compare_late_lcid", []))]), "ns")
    out += ["",
            f"The shuffled log takes {calls:,.0f} comparisons ({calls / 19999:.1f} a line, "
            "counted on the host: the same code), a binary search's log2 of the set's size "
            "for each line, the least a comparison-only search can do. At "
            f"{early / 1000:.1f} to {late / 1000:.1f} µs a call (the cost grows with the "
            f"length the texts share) that is {calls * early / 1e6:,.0f} to "
            f"{calls * late / 1e6:,.0f} ms of the log's cost. The log in installation order "
            "takes one comparison a line.", "",
            "### Removing a tree of 10,000 files in 100 folders", "",
            "Identical trees, made anew for each remover in every round; the order of the "
            "four removers changes from round to round.", ""]
    out += table(tree, "ms")
    out += [""]
    out += table(ratios, "ratio", 2)
    out += ["",
            "Process starts are small beside these figures (the floor starts in tens of "
            "milliseconds, cmd in about a hundred); the program's own start, log and dialog, "
            "with its 2.9 s of pacing, is the 10-entry run, and the last ratio sets the two "
            "walks against each other with every start taken out.", "",
            "Per file (µs), the walk's cost divided by the tree's 10,000 files:", ""]
    out += table(per_file, "µs", 1)
    out += [""]
    print("\n".join(out))


main()
