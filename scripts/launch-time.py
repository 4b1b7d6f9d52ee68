#!/usr/bin/env python3
"""Times whole processes, launch to exit, alternating between commands so
that each sees the same machine, and appends a line per run to OUT.

    scripts/launch-time.py OUT RUNS -- NAME COMMAND [ARG...] [-- NAME COMMAND [ARG...] ...]

Each command's output goes to /dev/null. Each line is "NAME WALL_S
PEAK_KIB": the wall time from fork to the end of wait4 on the monotonic
clock (to the microsecond: /usr/bin/time counts hundredths, too coarse for a
40 ms launch), and the process's peak resident memory. A command that fails
stops the timing with its status.
"""
import os
import sys
import time


def run(argv):
    started = time.perf_counter()
    pid = os.fork()
    if pid == 0:
        try:
            null = os.open(os.devnull, os.O_WRONLY)
            os.dup2(null, 1)
            os.dup2(null, 2)
            os.execvp(argv[0], argv)
        finally:
            os._exit(127)
    _, status, usage = os.wait4(pid, 0)
    return time.perf_counter() - started, os.waitstatus_to_exitcode(status), usage.ru_maxrss


def main():
    if len(sys.argv) < 6 or sys.argv[3] != "--" or not sys.argv[2].isdigit():
        sys.exit(__doc__)
    out, runs = sys.argv[1], int(sys.argv[2])
    commands = []
    for word in sys.argv[4:]:
        if word == "--":
            commands.append([])
        elif not commands:
            commands.append([word])
        else:
            commands[-1].append(word)
    if any(len(c) < 2 for c in commands):
        sys.exit(__doc__)
    commands = [(c[0], c[1:]) for c in commands]
    with open(out, "a") as lines:
        for _ in range(runs):
            for name, argv in commands:
                wall, code, peak = run(argv)
                if code != 0:
                    sys.exit(f"launch-time: {name} ended with status {code}")
                lines.write(f"{name} {wall:.6f} {peak}\n")


if __name__ == "__main__":
    main()
