#!/usr/bin/env python3
"""Runs a command and prints the peak resident memory of the command's own
process and, separately, of every program it starts.

    scripts/peak-memory.py OUT -- COMMAND [ARG...]

/usr/bin/time's %M cannot tell them apart: a process's peak as the kernel
reports it on exit includes the peaks of the children it waited for, so a
recording's figure would be ffmpeg's whenever ffmpeg is the larger. Here each
process's VmHWM (its own high-water mark) is read from /proc every 20 ms
until it exits; the last reading is its peak (within what it adds in 20 ms
before exiting). OUT gets one line per program, "NAME PEAK_KIB WALL_S", the
command's own first; the command's exit status is passed on.
"""
import os
import subprocess
import sys
import time


def hwm(pid):
    try:
        with open(f"/proc/{pid}/status") as f:
            for line in f:
                if line.startswith("VmHWM:"):
                    return int(line.split()[1])
    except OSError:
        pass
    return None


def children(pid):
    found = []
    try:
        for task in os.listdir(f"/proc/{pid}/task"):
            with open(f"/proc/{pid}/task/{task}/children") as f:
                found += [int(c) for c in f.read().split()]
    except OSError:
        pass
    return found


def name(pid):
    try:
        with open(f"/proc/{pid}/comm") as f:
            return f.read().strip()
    except OSError:
        return "?"


def main():
    if len(sys.argv) < 4 or sys.argv[2] != "--":
        sys.exit("usage: peak-memory.py OUT -- COMMAND [ARG...]")
    out, command = sys.argv[1], sys.argv[3:]
    began = time.monotonic()
    proc = subprocess.Popen(command)
    peaks = {proc.pid: [os.path.basename(command[0]), 0]}
    while proc.poll() is None:
        pending = [proc.pid]
        while pending:
            pid = pending.pop()
            value = hwm(pid)
            if value is not None:
                entry = peaks.setdefault(pid, [name(pid), 0])
                entry[1] = max(entry[1], value)
            pending += children(pid)
        time.sleep(0.02)
    wall = time.monotonic() - began
    with open(out, "a") as f:
        for pid, (program, peak) in peaks.items():
            f.write(f"{program} {peak} {wall:.2f}\n")
    sys.exit(proc.returncode if proc.returncode >= 0 else 128 - proc.returncode)


main()
