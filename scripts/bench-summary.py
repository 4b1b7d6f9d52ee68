#!/usr/bin/env python3
"""Turns the output of scripts/bench.sh (in the folder given) into the
Markdown table of figures, baselines and ratios that docs/performance.md
quotes. Times are medians; the spread is min..max of the runs."""
import json
import statistics
import sys
from pathlib import Path

out = Path(sys.argv[1])


def load(name):
    data = json.loads((out / name).read_text())
    result = {}
    for b in data["benchmarks"]:
        if b.get("aggregate_name", "median") != "median":
            continue
        # frame_bench measures the process's CPU time too: its names carry
        # "/process_time", which the tables leave out.
        result[b["run_name"].replace("/process_time", "")] = b
    return result


def ms(b, key="real_time"):
    scale = {"ns": 1e-6, "us": 1e-3, "ms": 1.0, "s": 1e3}[b["time_unit"]]
    return b[key] * scale


process = {}
peaks = {}
for line in (out / "process.txt").read_text().splitlines():
    parts = line.split()
    if not parts:
        continue
    if parts[0].startswith("peak-"):  # peak-KIND PROGRAM KIB WALL
        peaks.setdefault(parts[0][5:], {})[parts[1]] = int(parts[2])
    else:
        process.setdefault(parts[0], []).append([float(v) for v in parts[1:]])

lines = []
w = lines.append


def spread(values):
    return f"{min(values):.3g}..{max(values):.3g}"


def median_of(kind, column):
    return statistics.median(v[column] for v in process[kind])


load_text = (out / "load.txt").read_text().strip().replace("\n", "; ") if (out / "load.txt").exists() else "?"
w(f"Load average: {load_text}")
w("")
w("## Goals")
w("")
w("| goal | figure | baseline (same run) | ratio | limit | met |")
w("|---|---|---|---|---|---|")


def goal(name, figure, base, ratio, limit, met):
    w(f"| {name} | {figure} | {base} | {ratio} | {limit} | {'yes' if met else 'no'} |")


if "record" in process and (out / "rendering.txt").exists():
    wall, user, system = process["record"][0]
    words = (out / "rendering.txt").read_text().split()
    render_wall, render_cpu = float(words[4]), float(words[7])
    goal("whole show to a 60 fps MP4: wall time", f"{wall:.1f} s ({user + system:.0f} CPU-s)",
         f"the show's length 125 s; rendering alone {render_wall:.1f} s ({render_cpu:.0f} CPU-s)",
         f"{wall / 125:.2f}x real time; {wall / render_wall:.2f}x rendering", "<= 1.0x real time", wall <= 125)
    record = peaks["record"]
    show = record.get("glowmotion", 0) / 1024
    ffmpeg = record.get("ffmpeg", 0) / 1024
    empty = max(peaks.get("empty", {}).values() or [0]) / 1024
    goal("peak resident memory of the recording's show process", f"{show:.1f} MiB (ffmpeg: {ffmpeg:.1f} MiB)",
         f"empty scenes: {empty:.1f} MiB", f"{show / empty:.2f}" if empty else "-", "<= 150 MiB", show <= 150)
    if "videosize" in process:
        w(f"| (the video) | {process['videosize'][0][0] / 2**20:.1f} MiB | - | - | - | - |")

fr = load("frames.json")


def fps(b):
    # Frames per second from the median wall time of a frame (the "fps"
    # counter of an aggregate row is not a rate of its own).
    return 1000.0 / ms(b)


clear = fps(fr["Frame/clear-and-present/real_time"])
for name in ["turntable", "credits", "star tunnel", "dance floor", "end"]:
    rate = fps(fr[f"Frame/{name}/real_time"])
    goal(f"frames per second offscreen, {name}", f"{rate:.1f}", f"clear and present: {clear:.0f}",
         f"{rate / clear:.3f}", ">= 60", rate >= 60)

if "show" in process and "baseline" in process:
    s_med, b_med = median_of("show", 0), median_of("baseline", 0)
    goal(f"launch -> first frame on disk ({len(process['show'])} runs, median)", f"{s_med * 1000:.0f} ms",
         f"first cleared frame: {b_med * 1000:.0f} ms", f"{s_med / b_med:.2f}", "<= 2", s_med / b_med <= 2)

stored = out / "texgen-stored.json"
if stored.exists():
    runs = json.loads(stored.read_text())
    for name in ["storedProgram", "storedProgramFresh"]:
        today = statistics.median(r["cpu_time"] for r in runs["today"] if r["run_name"] == name)
        base = statistics.median(r["cpu_time"] for r in runs["baseline"] if r["run_name"] == name)
        unit = next(r["time_unit"] for r in runs["today"] if r["run_name"] == name)
        goal(f"stored texture program, {'a fresh generator as the show runs it' if name.endswith('Fresh') else 'repeated'} (CPU)",
             f"{today:.2f} {unit}", f"the baseline generator: {base:.2f} {unit}", f"{base / today:.2f}x faster",
             ">= 1.5x faster", base / today >= 1.5)
w("")

w("## Whole process")
w("")
w("| figure | median | spread | baseline median | baseline spread | ratio |")
w("|---|---|---|---|---|---|")
if "show" in process and "baseline" in process:
    s = [v[0] for v in process["show"]]
    b = [v[0] for v in process["baseline"]]
    w(f"| launch -> first show frame (s, {len(s)} runs) | {statistics.median(s):.3f} | {spread(s)} | "
      f"{statistics.median(b):.3f} | {spread(b)} | {statistics.median(s) / statistics.median(b):.2f} |")
    sm = [v[1] / 1024 for v in process["show"]]
    bm = [v[1] / 1024 for v in process["baseline"]]
    w(f"| peak RSS, one-frame capture (MiB) | {statistics.median(sm):.1f} | {spread(sm)} | "
      f"{statistics.median(bm):.1f} | {spread(bm)} | {statistics.median(sm) / statistics.median(bm):.2f} |")
w("")

st = load("startup.json")
w("## Start-up, part by part (in-process)")
w("")
w("| part | wall ms | CPU ms | share of LoadAllScenes (CPU) |")
w("|---|---|---|---|")
whole = ms(st["Startup/LoadAllScenes"], "cpu_time")
for name in ["ReadPictures", "Uploads", "StoredProgram", "Font", "ModuleLoad", "LoadAllScenes"]:
    b = st["Startup/" + name]
    w(f"| {name} | {ms(b):.2f} | {ms(b, 'cpu_time'):.2f} | {ms(b, 'cpu_time') / whole:.2f} |")
w("")
tga, plain = st["Tga/tgaLoad"], st["Tga/plainRead"]
w("## TGA reader")
w("")
w("| figure | reader | plain read | ratio (reader / plain, MB/s) |")
w("|---|---|---|---|")
w(f"| MB/s on {tga.get('label', 'the largest picture')} (CPU time) | {tga['bytes_per_second'] / 1e6:.0f} | "
  f"{plain['bytes_per_second'] / 1e6:.0f} | {tga['bytes_per_second'] / plain['bytes_per_second']:.2f} |")
w("")

base = fr["Frame/clear-and-present/real_time"]
w("## Frames at 800x600 (offscreen, Mesa llvmpipe)")
w("")
w("| scene | fps | baseline fps (clear and present) | ratio | own code, CPU us per frame |")
w("|---|---|---|---|---|")
for name in ["turntable", "credits", "star tunnel", "dance floor", "end"]:
    f = fr[f"Frame/{name}/real_time"]
    own = fr[f"OwnCode/{name}"]
    w(f"| {name} | {fps(f):.1f} | {fps(base):.0f} | {fps(f) / fps(base):.3f} | "
      f"{ms(own, 'cpu_time') * 1000:.2f} |")
w("")

tg = load("texgen.json")
one = ms(tg["Baseline/copyOneLayer"], "cpu_time")
two = ms(tg["Baseline/copyTwoLayers"], "cpu_time")
w("## Texture generator, 256x256 (CPU time)")
w("")
# The stored program touches at least: 80 blur passes, 2 plasmas, invert,
# sharpen, copy and 8 merges of one layer each, and one displace-add of two.
program_base = 93 * one + two
w("| figure | ms | baseline ms (plain copy of the bytes touched) | ratio |")
w("|---|---|---|---|")
for name in ["storedProgram", "storedProgramFresh"]:
    b = tg[name]
    w(f"| {name} | {ms(b, 'cpu_time'):.2f} | {program_base:.3f} | {ms(b, 'cpu_time') / program_base:.1f} |")
w("")
w("| operation | us | baseline us | ratio |")
w("|---|---|---|---|")
families = {}
for run, b in tg.items():
    if "/" not in run or run.startswith("Baseline"):
        continue
    family = run.split("/")[0]
    base_us = (two if family == "Combiners" else one) * 1000
    ratio = ms(b, "cpu_time") * 1000 / base_us
    families.setdefault(family, []).append(ratio)
    w(f"| {run} | {ms(b, 'cpu_time') * 1000:.1f} | {base_us:.2f} | {ratio:.1f} |")
w("")
w("| family | median ratio to its copy baseline |")
w("|---|---|")
for family, ratios in families.items():
    w(f"| {family} | {statistics.median(ratios):.1f} |")
print("\n".join(lines))
