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
        result[b["run_name"]] = b
    return result


def ms(b, key="real_time"):
    scale = {"ns": 1e-6, "us": 1e-3, "ms": 1.0, "s": 1e3}[b["time_unit"]]
    return b[key] * scale


process = {}
for line in (out / "process.txt").read_text().splitlines():
    parts = line.split()
    if len(parts) == 3 and parts[0].isalpha():
        process.setdefault(parts[0], []).append((float(parts[1]), int(parts[2])))

lines = []
w = lines.append


def spread(values):
    return f"{min(values):.3g}..{max(values):.3g}"


w("## Whole process")
w("")
w("| figure | median | spread | baseline median | baseline spread | ratio | target |")
w("|---|---|---|---|---|---|---|")
if "show" in process and "baseline" in process:
    s = [t for t, _ in process["show"]]
    b = [t for t, _ in process["baseline"]]
    w(f"| launch -> first show frame (s, {len(s)} runs) | {statistics.median(s):.3f} | {spread(s)} | "
      f"{statistics.median(b):.3f} | {spread(b)} | {statistics.median(s) / statistics.median(b):.2f} | <= 0.100 s |")
    sm = [m / 1024 for _, m in process["show"]]
    bm = [m / 1024 for _, m in process["baseline"]]
    w(f"| peak RSS, one-frame capture (MiB) | {statistics.median(sm):.1f} | {spread(sm)} | "
      f"{statistics.median(bm):.1f} | {spread(bm)} | {statistics.median(sm) / statistics.median(bm):.2f} | - |")
if "wholeshow" in process and "emptyshow" in process:
    s = process["wholeshow"][0]
    e = process["emptyshow"][0]
    w(f"| peak RSS, whole show at 30 fps (MiB) | {s[1] / 1024:.1f} | 1 run | {e[1] / 1024:.1f} | 1 run | "
      f"{s[1] / e[1]:.2f} | <= 128 MiB |")
    w(f"| whole show at 30 fps, wall time (s) | {s[0]:.0f} | 1 run | {e[0]:.0f} | 1 run | {s[0] / e[0]:.2f} | - |")
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
w("| figure | reader | plain read | ratio (reader / plain, MB/s) | target |")
w("|---|---|---|---|---|")
w(f"| MB/s on {tga.get('label', 'the largest picture')} (CPU time) | {tga['bytes_per_second'] / 1e6:.0f} | "
  f"{plain['bytes_per_second'] / 1e6:.0f} | {tga['bytes_per_second'] / plain['bytes_per_second']:.2f} | >= 0.5 |")
w("")

fr = load("frames.json")
base = fr["Frame/clear-and-present/real_time"]
w("## Frames at 800x600 (offscreen, Mesa llvmpipe)")
w("")
w("| scene | fps | baseline fps (clear and present) | ratio | target | own code, CPU us per frame |")
w("|---|---|---|---|---|---|")
for name in ["turntable", "credits", "star tunnel", "dance floor", "end"]:
    f = fr[f"Frame/{name}/real_time"]
    own = fr[f"OwnCode/{name}"]
    w(f"| {name} | {f['fps']:.1f} | {base['fps']:.0f} | {f['fps'] / base['fps']:.3f} | >= 0.8 | "
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
w("| figure | ms | baseline ms (plain copy of the bytes touched) | ratio | target |")
w("|---|---|---|---|---|")
for name in ["storedProgram", "storedProgramFresh"]:
    b = tg[name]
    w(f"| {name} | {ms(b, 'cpu_time'):.2f} | {program_base:.3f} | {ms(b, 'cpu_time') / program_base:.1f} | <= 3 ms |")
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
