#!/usr/bin/env python3
"""Turns convert_bench JSON output into the Markdown table of bench/RESULTS.md.

Usage: convert_bench --benchmark_out=out.json --benchmark_out_format=json; results_table.py out.json
(with --benchmark_repetitions the medians are used)
Each row: ours (vector, and scalar reference), libswscale and memcpy wall times, the ratios, and the
process CPU time (all threads) of ours and of libswscale.
"""
import json
import sys


def main(path):
    with open(path) as f:
        data = json.load(f)
    rows = {}
    order = []
    benchmarks = data["benchmarks"]
    # With --benchmark_repetitions, take the medians.
    if any(b.get("aggregate_name") == "median" for b in benchmarks):
        benchmarks = [dict(b, name=b["run_name"]) for b in benchmarks if b.get("aggregate_name") == "median"]
    for b in benchmarks:
        parts = b["name"].split("/")
        key = "/".join(parts[:2])
        kind = parts[2]
        if key not in rows:
            rows[key] = {}
            order.append(key)
        rows[key][kind] = (b["real_time"], b["cpu_time"])
    # Random interleaving mixes the order: same-size cases first, then the scaled ones, each by name.
    order.sort(key=lambda key: (key.startswith("1080p_to_"), key.split("/")[1], key))
    print("| case | ours ms | ours scalar ms | libswscale ms | memcpy ms | swscale / ours | ours / memcpy "
          "| ours CPU ms | swscale CPU ms |")
    print("|---|---:|---:|---:|---:|---:|---:|---:|---:|")
    for key in order:
        r = rows[key]
        ours = r.get("ours", (None, None))
        scalar = r.get("ours_scalar", (None, None))
        sws = r.get("swscale", (None, None))
        mem = r.get("memcpy", (None, None))

        def fmt(v):
            return "-" if v is None else "%.2f" % v

        def ratio(a, b):
            return "-" if a is None or b is None or b == 0 else "%.1fx" % (a / b)

        print("| %s | %s | %s | %s | %s | %s | %s | %s | %s |" % (
            key, fmt(ours[0]), fmt(scalar[0]), fmt(sws[0]), fmt(mem[0]), ratio(sws[0], ours[0]),
            ratio(ours[0], mem[0]), fmt(ours[1]), fmt(sws[1])))


if __name__ == "__main__":
    main(sys.argv[1])
