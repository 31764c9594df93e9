#!/usr/bin/env python3
"""Frame import end to end: plays clips through the plug-in with `krvx-host play --json` at full size,
960 x 540 and 480 x 270, in bgra and yuy3, and prints a markdown table of medians over interleaved runs.

Usage: play_table.py BIN_DIR [--runs N] [--work DIR]
BIN_DIR holds krvx-host, krvx-encode and the plug-in module. The clips are made once in DIR."""
import argparse
import json
import os
import random
import statistics
import subprocess

CLIPS = [("1080p", "1920x1080", 50), ("2160p", "3840x2160", 30)]
SIZES = [("full", None), ("960x540", "960x540"), ("480x270", "480x270")]
FORMATS = ["bgra", "yuy3"]


def make_clip(bin_dir, path, size, frames):
    if not os.path.exists(path):
        subprocess.run([os.path.join(bin_dir, "krvx-encode"), "-o", path, "--size", size, "--frames", str(frames),
                        "--gop", "10", "--audio", "none", "-q"], check=True)


def play(bin_dir, clip, size, pixel_format):
    command = [os.path.join(bin_dir, "krvx-host"), "play", clip, "--format", pixel_format, "--json"]
    if size:
        command += ["--size", size]
    done = subprocess.run(command, capture_output=True, text=True)
    # A request the plug-in answers with an error (packed 4:2:2 at a size it cannot decode to) is noted.
    return json.loads(done.stdout) if done.returncode == 0 else {"error": done.stderr.strip()}


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("bin_dir")
    parser.add_argument("--runs", type=int, default=3)
    parser.add_argument("--work", default="/tmp/krvx-play-bench")
    args = parser.parse_args()
    os.makedirs(args.work, exist_ok=True)
    cases = []
    for name, size, frames in CLIPS:
        clip = os.path.join(args.work, f"{name}.avi")
        make_clip(args.bin_dir, clip, size, frames)
        for size_name, request in SIZES:
            for pixel_format in FORMATS:
                cases.append((name, clip, size_name, request, pixel_format))
    results = {case: [] for case in cases}
    for _ in range(args.runs):
        order = list(cases)
        random.shuffle(order)
        for case in order:
            results[case].append(play(args.bin_dir, case[1], case[3], case[4]))

    print("| clip | size | format | fps | read + decode ms | convert ms | other ms | peak MB | vs full size |")
    # Means per frame, medians over the runs: the plug-in's timing lines count whole milliseconds.
    print("|---|---|---|---:|---:|---:|---:|---:|---:|")
    full_fps = {}
    for case in cases:
        runs = results[case]
        if any("error" in r for r in runs):
            print(f"| {case[0]} | {case[2]} | {case[4]} | {runs[0].get('error', 'error')} | | | | | |")
            continue
        fps = statistics.median(r["fps"] for r in runs)
        if case[2] == "full":
            full_fps[(case[0], case[4])] = fps
        ratio = fps / full_fps[(case[0], case[4])]
        print(f"| {case[0]} | {case[2]} | {case[4]} | {fps:.1f} | "
              f"{statistics.median(r['readDecodeMeanMs'] for r in runs):.2f} | "
              f"{statistics.median(r['convertMeanMs'] for r in runs):.2f} | "
              f"{statistics.median(r['otherMeanMs'] for r in runs):.2f} | "
              f"{statistics.median(r['peakAllocatorMB'] for r in runs):.1f} | {ratio:.1f}x |")


if __name__ == "__main__":
    main()
