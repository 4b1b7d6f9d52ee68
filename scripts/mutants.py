#!/usr/bin/env python3
"""Mutants of the show's own code, found mechanically in the sources.

  mutants.py list  --seed S --count N          the sample, one mutant a line (TSV)
  mutants.py apply --seed S --count N ID       writes mutant ID into its file
                                               (the sample depends on the
                                               sources: apply to unmutated ones)
  mutants.py sites                             every site, unsampled
  mutants.py compare OLD.tsv NEW.tsv           two runs of mutate.sh on the same
                                               sample: each one's outcomes, and
                                               the mutants whose outcome differs

A site is a place where one small, plausible fault can be made: a comparison
or its boundary flipped, && and || exchanged, an integer literal one off, red
and blue exchanged, a GL call statement removed, or an early return/throw
removed or its condition negated. Sites are listed in a fixed order and the
sample is a seeded shuffle of them, so the same seed gives the same mutants
for the same sources, and a smaller --count is a prefix of a larger one.
Comments, string and character literals and preprocessor lines are never
mutated. Deleted text keeps its line breaks, so line numbers (and __LINE__)
stay put.
"""
import argparse
import random
import re
import sys
from pathlib import Path

ROOT = Path(__file__).resolve().parent.parent
AREAS = ("app", "base", "gfx", "scenes", "texgen")


def mask(text):
    """The text with comments, literals and preprocessor lines blanked
    (same length, line breaks kept), so that offsets stay valid."""
    out = list(text)
    i, n = 0, len(text)
    line_start = True

    def blank(a, b):
        for k in range(a, b):
            if out[k] != "\n":
                out[k] = " "

    while i < n:
        c = text[i]
        if line_start and c == "#":
            j = i
            while j < n and (text[j] != "\n" or text[j - 1] == "\\"):
                j += 1
            blank(i, j)
            i = j
            continue
        if c == "\n":
            line_start = True
            i += 1
            continue
        if not c.isspace():
            line_start = False
        if text.startswith("//", i):
            j = text.find("\n", i)
            j = n if j < 0 else j
        elif text.startswith("/*", i):
            j = text.find("*/", i + 2) + 2
        elif text.startswith('R"', i) and not (i and (text[i - 1].isalnum() or text[i - 1] == "_")):
            delim = text[i + 2:text.index("(", i)]
            j = text.index(")" + delim + '"', i) + len(delim) + 2
        elif c in "\"'" and not (c == "'" and i and text[i - 1].isalnum()):  # 1'000 is a number
            j = i + 1
            while text[j] != c:
                j += 2 if text[j] == "\\" else 1
            j += 1
        else:
            i += 1
            continue
        blank(i, j)
        i = j
    return "".join(out)


def closing(code, i):
    """Index just past the bracket matching the one at code[i]."""
    pairs = {"(": ")", "{": "}", "[": "]"}
    stack = []
    for j in range(i, len(code)):
        if code[j] in pairs:
            stack.append(pairs[code[j]])
        elif stack and code[j] == stack[-1]:
            stack.pop()
            if not stack:
                return j + 1
    raise ValueError("unbalanced bracket")


def statement_end(code, i):
    """Index just past the ';' ending the statement starting at i."""
    j = i
    while code[j] != ";":
        j = closing(code, j) if code[j] in "({[" else j + 1
    return j + 1


def prev_token(code, i):
    j = i - 1
    while j >= 0 and code[j].isspace():
        j -= 1
    if j < 0:
        return ""
    if code[j].isalnum() or code[j] == "_":
        k = j
        while k >= 0 and (code[k].isalnum() or code[k] == "_"):
            k -= 1
        return code[k + 1:j + 1]
    return code[j]


def next_word(code, i):
    m = re.compile(r"\s*(\w*)").match(code, i)
    return m.group(1)


def deleted(text):
    """An empty statement instead of text, keeping its line breaks."""
    return "{}" + re.sub(r"[^\n]", "", text)


FLIPS = {"<": "<=", "<=": "<", ">": ">=", ">=": ">", "==": "!=", "!=": "==", "&&": "||", "||": "&&"}
RED_BLUE = {"[0]": "[2]", "[2]": "[0]", "GL_RGBA": "GL_BGRA", "GL_BGRA": "GL_RGBA", "GL_RGB": "GL_BGR",
            "GL_BGR": "GL_RGB", "RedBlueExchange::BySize": "RedBlueExchange::WholeBuffer",
            "RedBlueExchange::WholeBuffer": "RedBlueExchange::None", "RedBlueExchange::None": "RedBlueExchange::BySize"}


def sites(text):
    """(start, end, operator, replacement) of every mutation site of a source text."""
    code = mask(text)
    for m in re.finditer(r"(?<=\s)(<=|>=|==|!=|&&|\|\||<|>)(?=\s)", code):
        op = "logic" if m.group(1) in ("&&", "||") else "compare"
        yield m.start(), m.end(), op, FLIPS[m.group(1)]
    for m in re.finditer(r"(?<![\w.])([0-9]+)(?=[uUlL]*(?![\w.']))", code):
        value = int(m.group(1))
        yield m.start(), m.end(), "literal", str(value + 1)
        if value > 0:
            yield m.start(), m.end(), "literal", str(value - 1)
    for m in re.finditer(r"\[[02]\]|\bGL_(?:RGBA|BGRA|RGB|BGR)\b|\bRedBlueExchange::\w+", code):
        if m.group() in RED_BLUE and prev_token(code, m.start()) != "case":
            yield m.start(), m.end(), "red-blue", RED_BLUE[m.group()]
    for m in re.finditer(r"\bglu?[A-Z]\w*\s*\(", code):
        if prev_token(code, m.start()) in ("", ";", "{", "}", ")", ":") and not code.startswith("::", m.start() - 2):
            end = closing(code, m.end() - 1)
            after = re.compile(r"\s*;").match(code, end)
            if after:
                yield m.start(), after.end(), "no-gl-call", deleted(text[m.start():after.end()])
    for m in re.finditer(r"\bif\s*\(", code):
        cond_end = closing(code, m.end() - 1)
        body = re.compile(r"\s*(\{\s*)?(return|throw)\b").match(code, cond_end)
        if not body:
            continue
        end = statement_end(code, body.end())
        if body.group(1):
            brace = re.compile(r"\s*\}").match(code, end)
            if not brace:
                continue
            end = brace.end()
        cond = text[m.end():cond_end - 1]
        yield m.end(), cond_end - 1, "negate-check", "!(" + cond + ")"
        if prev_token(code, m.start()) != "else" and next_word(code, end) != "else":
            yield m.start(), end, "no-check", deleted(text[m.start():end])


def all_sites():
    """Every site of the product's sources, in a fixed order."""
    found = []
    for area in AREAS:
        for path in sorted((ROOT / area).rglob("*")):
            if path.suffix not in (".cpp", ".h"):
                continue
            text = path.read_text()
            rel = str(path.relative_to(ROOT))
            for start, end, op, replacement in sorted(set(sites(text))):
                line = text.count("\n", 0, start) + 1
                column = start - text.rfind("\n", 0, start)
                found.append((rel, start, end, f"{line}:{column}", op, text[start:end], replacement))
    return found


def sample(seed, count):
    """Each operator's sites shuffled with the seed, then dealt in turn, one
    operator after another, so that the scarce kinds (a removed check, red and
    blue) weigh as much as the plentiful literals."""
    rng = random.Random(seed)
    by_operator = {}
    for site in all_sites():
        by_operator.setdefault(site[4], []).append(site)
    queues = []
    for op in sorted(by_operator):
        rng.shuffle(by_operator[op])
        queues.append(by_operator[op])
    chosen = []
    while len(chosen) < count and any(queues):
        for queue in queues:
            if queue and len(chosen) < count:
                chosen.append(queue.pop(0))
    return [("M%03d" % (k + 1),) + site for k, site in enumerate(chosen)]


def shown(s):
    s = re.sub(r"\s+", " ", s).strip()
    return (s[:57] + "...") if len(s) > 60 else (s or "(nothing)")


def compare(old_path, new_path):
    def read(path):
        rows = [line.rstrip("\n").split("\t") for line in open(path)]
        return {r[0]: r for r in rows if len(r) >= 6 and r[0].startswith("M")}
    old, new = read(old_path), read(new_path)
    for name, runs in (("old", old), ("new", new)):
        outcomes = {}
        for r in runs.values():
            outcomes[r[5]] = outcomes.get(r[5], 0) + 1
        seen = sum(outcomes.get(k, 0) for k in ("killed", "survived", "timeout"))
        rate = 100 * (outcomes.get("killed", 0) + outcomes.get("timeout", 0)) / seen if seen else 0
        print(f"{name}: {len(runs)} mutants: " + ", ".join(f"{k} {v}" for k, v in sorted(outcomes.items()))
              + f"; killed or timed out {rate:.1f} % of those that compiled and changed code")
    for mid in sorted(set(old) | set(new)):
        a = old[mid][5] if mid in old else "-"
        b = new[mid][5] if mid in new else "-"
        if a != b:
            site = (old.get(mid) or new.get(mid))[1:5]
            print(f"{mid}\t{a} -> {b}\t" + "\t".join(site))
    return 0


def main():
    parser = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("command", choices=("list", "apply", "sites", "compare"))
    parser.add_argument("id", nargs="*")
    parser.add_argument("--seed", type=int, default=1)
    parser.add_argument("--count", type=int, default=200)
    args = parser.parse_intermixed_args()
    if args.command == "compare":
        return compare(*args.id)
    if args.command == "sites":
        for rel, start, end, line, op, original, replacement in all_sites():
            print(f"{rel}:{line}\t{op}\t{shown(original)}\t{shown(replacement)}")
        return 0
    mutants = sample(args.seed, args.count)
    if args.command == "list":
        for mid, rel, start, end, line, op, original, replacement in mutants:
            print(f"{mid}\t{rel}:{line}\t{op}\t{shown(original)}\t{shown(replacement)}")
        return 0
    for mid, rel, start, end, line, op, original, replacement in mutants:
        if [mid] == args.id:
            text = (ROOT / rel).read_text()
            (ROOT / rel).write_text(text[:start] + replacement + text[end:])
            return 0
    sys.exit(f"no mutant {args.id} among the first {args.count} of seed {args.seed}")


if __name__ == "__main__":
    sys.exit(main())
