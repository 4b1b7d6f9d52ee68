#!/usr/bin/env bash
# Lines of the product and of its tests (each test folder too): non-blank lines that are not only a
# comment, in .cpp .h .c .sh .py files, and the tests' share in percent
# (the suite is to stay near a third of the product).
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
cd "$root"
python3 - <<'EOF'
import re
from pathlib import Path

def code_lines(path):
    text = path.read_text(errors="replace")
    if path.suffix in (".sh", ".py"):
        return sum(1 for l in text.splitlines() if l.strip() and not l.strip().startswith("#"))
    text = re.sub(r"/\*.*?\*/", lambda m: "\n" * m.group().count("\n"), text, flags=re.S)
    return sum(1 for l in text.splitlines() if l.strip() and not l.strip().startswith("//"))

def count(folders):
    return sum(code_lines(p) for folder in folders for p in Path(folder).rglob("*")
               if p.suffix in (".cpp", ".h", ".c", ".sh", ".py") and p.is_file())

product = count(["app", "base", "gfx", "scenes", "texgen", "tools"])
tests = count(["tests", "fuzz"])
for folder in sorted({p.parent for p in Path("tests").rglob("*") if p.is_file()} | {Path("fuzz")}):
    n = sum(code_lines(p) for p in folder.glob("*") if p.suffix in (".cpp", ".h", ".c", ".sh", ".py") and p.is_file())
    if n:
        print(f"  {folder}: {n}")
print(f"product (app base gfx scenes texgen tools): {product}")
print(f"tests (tests fuzz): {tests}")
print(f"tests / product: {100 * tests / product:.1f} %")
EOF
