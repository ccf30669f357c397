#!/usr/bin/env python3
"""Pairs each benchmark with its floor and writes build/bench/results.json, then prints a table.

    report.py BENCHMARK_JSON [ROUND_TRIP_JSON [ROWS_JSON ...]] OUT_JSON

Each ROWS_JSON holds rows already paired with their floors ({"rows": [{name, value, unit, floor, ratio}]}):
the site's load through the playground and the proxy's memory (site.json), the replay of a
recorded session (replay.json), the relaunch in the browser (relaunch.json), the push API's
notification to the banner (push_api.json). A file that is
missing is left out.

A benchmark BM_Name/ARG is paired with BM_NameFloor/ARG; with repetitions, medians are used. Times are compared as value/floor;
throughputs (bytes or items per second) as floor/value, so lower is better everywhere. A
benchmark that reports the counters `value` and `floor` itself (memory) is taken as it reports.
"""
import json, os, platform, sys

# benchmark family -> (measurement name, kind)
FAMILIES = {
    "BM_Router": ("router", "time"),
    "BM_UrlWithString": ("url_with_string", "bytes"),
    "BM_ManifestRead": ("manifest_read", "bytes"),
    "BM_TableCells": ("table_cells", "items"),
    "BM_TableRegisterMemory": ("table_register_memory", "counters"),
    "BM_ScreenOpen": ("screen_open", "time"),
}
UNITS = {"bytes": "bytes/s", "items": "cells/s", "counters": "bytes"}

# The figures a user feels, with their goals. Every other row is a regression guard: the
# library's own figure stands beside it, with no goal to beat it.
GOALS = {
    "screen_open/50 topics": ("<= floor + 2 ms", lambda r: r["value"] <= r["floor"] + 2.0),
    "bridge_round_trip/p50": ("<= 1.3 x floor", lambda r: r["ratio"] <= 1.3),
    "bridge_round_trip/mean": ("<= 1.3 x floor", lambda r: r["ratio"] <= 1.3),
    "site_load/p50": ("<= 1.3 x floor", lambda r: r["ratio"] <= 1.3),
    "proxy_memory/100 MB": ("< 8 MB growth", lambda r: r["value"] < 8 * 1024 * 1024),
    "replay/steps_per_s": (">= 50,000 steps/s", lambda r: r["value"] >= 50000),
    "relaunch/p50": ("< 300 ms", lambda r: r["value"] < 300),
    "push_api/p50": ("<= 1.3 x floor", lambda r: r["ratio"] <= 1.3),
    "push_api/fan_out_16": ("<= 3 x push_api/p50", lambda r: r["ratio"] <= 3),
}


def with_role(row):
    goal = GOALS.get(row["name"])
    if goal is None:
        return {**row, "role": "guard"}
    text, met = goal
    return {**row, "role": "goal", "goal": text, "met": bool(met(row))}


def split(name):
    family, _, arg = name.partition("/")
    return family, arg


def measure(entry, kind):
    if kind == "time":
        return entry["real_time"], entry["time_unit"]
    if kind == "bytes":
        return entry["bytes_per_second"], UNITS[kind]
    if kind == "items":
        return entry["items_per_second"], UNITS[kind]
    return entry["value"], UNITS[kind]


def rows_from_benchmarks(data):
    # With repetitions, the median of each benchmark stands for it; without, its single run.
    runs = {}
    for e in data["benchmarks"]:
        if e.get("run_type", "iteration") == "iteration":
            runs.setdefault(e.get("run_name", e["name"]), e)
        elif e.get("aggregate_name") == "median":
            runs[e["run_name"]] = e
    rows = []
    for name, entry in runs.items():
        family, arg = split(name)
        if family not in FAMILIES:
            continue
        title, kind = FAMILIES[family]
        value, unit = measure(entry, kind)
        if kind == "counters":
            floor = entry["floor"]
        else:
            floor_entry = runs.get(f"{family}Floor/{arg}" if arg else f"{family}Floor")
            if floor_entry is None:
                continue
            floor, _ = measure(floor_entry, kind)
        ratio = floor / value if kind in ("bytes", "items") else (value / floor if floor else float("inf"))
        label = entry.get("label") or arg
        rows.append({"name": f"{title}/{label}" if label else title, "value": value, "unit": unit,
                     "floor": floor, "ratio": ratio})
    return rows


def rows_from_round_trip(path):
    with open(path) as f:
        data = json.load(f)
    rows = []
    # The page's clock ticks in 0.1 ms, so p50 and p99 are whole ticks; the mean over the 1,000
    # calls is the finer figure.
    for stat in ("p50", "p99", "mean"):
        value, floor = data["bridge"][stat], data["echo"][stat]
        rows.append({"name": f"bridge_round_trip/{stat}", "value": value, "unit": "ms", "floor": floor,
                     "ratio": value / floor if floor else float("inf")})
    return rows


def main(argv):
    if len(argv) < 2:
        print(__doc__, file=sys.stderr)
        return 2
    bench_path, out_path = argv[0], argv[-1]
    with open(bench_path) as f:
        data = json.load(f)
    rows = sorted(rows_from_benchmarks(data), key=lambda r: r["name"])
    if len(argv) >= 3 and os.path.exists(argv[1]):
        rows += rows_from_round_trip(argv[1])
    for rows_path in argv[2:-1]:
        if os.path.exists(rows_path):
            with open(rows_path) as f:
                rows += json.load(f)["rows"]
    rows = [with_role(r) for r in rows]
    context = data.get("context", {})
    result = {"machine": {"host": context.get("host_name"), "cpus": context.get("num_cpus"),
                          "mhz": context.get("mhz_per_cpu"), "platform": platform.platform(),
                          "date": context.get("date")},
              "measurements": rows}
    os.makedirs(os.path.dirname(out_path) or ".", exist_ok=True)
    with open(out_path, "w") as f:
        json.dump(result, f, indent=2)
    print("| measurement | value | unit | floor | ratio | role |\n|---|---:|---|---:|---:|---|")
    for r in rows:
        role = f"goal {r['goal']}: {'met' if r['met'] else 'NOT met'}" if r["role"] == "goal" else "guard"
        print(f"| {r['name']} | {r['value']:.4g} | {r['unit']} | {r['floor']:.4g} | {r['ratio']:.2f} | {role} |")
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
