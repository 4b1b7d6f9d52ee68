#!/usr/bin/env python3
"""Which test runs which line of the show's own code (app base gfx scenes
texgen), for scripts/mutate.sh to run only the tests that can see a mutant.

  coverage-map.py make BUILD MAP     runs every test of BUILD (configured with
                                     --coverage) alone, and writes MAP (JSON)
  coverage-map.py tests MAP FILE LINE
                                     the tests that ran FILE:LINE, one a line;
                                     none when the line is code no test ran;
                                     exit status 3 when the line is no code
                                     gcov knows (a declaration, a constant):
                                     then no test can be ruled out

A test's lines are those with a count above zero in the .gcda files its
processes left (the programs it starts included). The tests run one at a
time, since each process adds its counts to the same files. The media the
build writes (build/data/) come from the tools, which run the show's code
too: a line they run is given to every test labelled `tools` (the tests
that read the media) as well.
"""
import json
import os
import subprocess
import sys
from pathlib import Path

ROOT = Path(__file__).resolve().parent.parent
AREAS = ("app", "base", "gfx", "scenes", "texgen")


def product_file(path, objdir):
    p = Path(path)
    if not p.is_absolute():
        p = Path(objdir) / p
    try:
        rel = p.resolve().relative_to(ROOT)
    except ValueError:
        return None
    return str(rel) if rel.parts and rel.parts[0] in AREAS else None


def counts(build):
    """{file: {line: count}} from every .gcda under build, per gcov."""
    result = {}
    by_dir = {}
    for gcda in Path(build).rglob("*.gcda"):
        by_dir.setdefault(gcda.parent, []).append(gcda.name)
    for objdir, names in by_dir.items():
        out = subprocess.run(["gcov", "-j", "-t", *sorted(names)], cwd=objdir, capture_output=True, text=True).stdout
        decoder = json.JSONDecoder()
        text, i = out.strip(), 0
        while i < len(text):
            doc, i = decoder.raw_decode(text, i)
            while i < len(text) and text[i].isspace():
                i += 1
            for f in doc.get("files", []):
                name = product_file(f["file"], doc.get("current_working_directory", objdir))
                if name is None:
                    continue
                lines = result.setdefault(name, {})
                for line in f["lines"]:
                    lines[line["line_number"]] = lines.get(line["line_number"], 0) + line["count"]
    return result


def remove_counts(build):
    for gcda in Path(build).rglob("*.gcda"):
        gcda.unlink()


def make(build, map_path):
    listing = json.loads(subprocess.run(["ctest", "--test-dir", build, "--show-only=json-v1"],
                                        capture_output=True, text=True, check=True).stdout)
    tests = [t["name"] for t in listing["tests"]]
    readers = [t["name"] for t in listing["tests"]
               if any(p["name"] == "LABELS" and "tools" in p["value"] for p in t.get("properties", []))]
    executable, ran = {}, {}

    def record(name, found):
        hit = 0
        for file, lines in found.items():
            known = executable.setdefault(file, set())
            for line, count in lines.items():
                known.add(line)
                if count > 0:
                    ran.setdefault(f"{file}:{line}", []).append(name)
                    hit += 1
        return hit

    remove_counts(build)
    for medium in Path(build, "data").iterdir():
        if medium.is_file():
            medium.unlink()
    subprocess.run(["cmake", "--build", build, "--target", "art_data", "music_data"], capture_output=True, check=True)
    print(f"the media: {record('@media', counts(build))} lines", file=sys.stderr)
    for k, name in enumerate(tests, 1):
        remove_counts(build)
        exact = "^" + "".join("\\" + c if not c.isalnum() and c != "_" else c for c in name) + "$"
        run = subprocess.run(["ctest", "--test-dir", build, "-R", exact], capture_output=True, text=True)
        status = "passed" if run.returncode == 0 else "FAILED"
        hit = record(name, counts(build))
        print(f"{k}/{len(tests)} {name}: {status}, {hit} lines", file=sys.stderr)
    remove_counts(build)
    with open(map_path, "w") as f:
        json.dump({"tests": tests, "readers": readers, "executable": {k: sorted(v) for k, v in executable.items()}, "ran": ran}, f)


def tests_of(map_path, file, line):
    data = json.load(open(map_path))
    if int(line) not in set(data["executable"].get(file, [])):
        return 3
    names = data["ran"].get(f"{file}:{line}", [])
    if "@media" in names:
        names = [n for n in names if n != "@media"] + [n for n in data["readers"] if n not in names]
    for name in names:
        print(name)
    return 0


def main():
    if len(sys.argv) == 4 and sys.argv[1] == "make":
        make(sys.argv[2], sys.argv[3])
        return 0
    if len(sys.argv) == 5 and sys.argv[1] == "tests":
        return tests_of(*sys.argv[2:])
    print(__doc__, file=sys.stderr)
    return 2


if __name__ == "__main__":
    sys.exit(main())
