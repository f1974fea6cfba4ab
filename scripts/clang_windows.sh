#!/usr/bin/env bash
# The Windows sources and tests through a second compiler: clang for the same MinGW-w64 target, with the
# same headers, definitions and warnings as the MinGW build, syntax and semantics only (no code). What g++
# lets pass and clang does not (an extension, a missing include that g++'s headers bring along) shows here.
# Needs the mingw preset configured (its compile_commands.json). Prints the files checked; fails on the
# first error or warning.
set -euo pipefail
cd "$(dirname "$0")/.."
db=build/mingw/compile_commands.json
[ -f "$db" ] || { echo "no $db: configure the mingw preset first"; exit 1; }
gxx=$(find /usr/lib/gcc/x86_64-w64-mingw32 -maxdepth 1 -name '*-posix' | sort -V | tail -n1)/include/c++
[ -d "$gxx" ] || { echo "no MinGW-w64 posix C++ headers under /usr/lib/gcc/x86_64-w64-mingw32"; exit 1; }
python3 - "$db" "$gxx" "$(nproc)" <<'PY'
import json, os, shlex, subprocess, sys
from concurrent.futures import ThreadPoolExecutor
db, gxx, jobs = sys.argv[1], sys.argv[2], int(sys.argv[3])
root = os.getcwd()
# g++'s options that clang does not take or that name g++'s own files.
drop = {"-finput-charset=UTF-8", "-fexec-charset=UTF-8"}
def command(entry):
    args = entry["arguments"] if "arguments" in entry else shlex.split(entry["command"])
    out = ["clang++", "--target=x86_64-w64-mingw32", "-nostdinc++",
           "-isystem", gxx, "-isystem", gxx + "/x86_64-w64-mingw32", "-isystem", gxx + "/backward"]
    skip = False
    for a in args[1:]:
        if skip:
            skip = False
            continue
        if a in ("-o", "-c"):
            skip = a == "-o"
            continue
        if a in drop or a.startswith("-O"):
            continue
        out.append(a)
    return out + ["-fsyntax-only", "-Werror"]
entries = [e for e in json.load(open(db)) if e["file"].endswith(".cpp")
           and os.path.relpath(e["file"], root).split(os.sep)[0] in ("src", "tests", "tools")]
def check(e):
    r = subprocess.run(command(e), cwd=e["directory"], capture_output=True, text=True)
    return e["file"], r.returncode, r.stderr
failed = 0
with ThreadPoolExecutor(jobs) as pool:
    for f, rc, err in pool.map(check, sorted(entries, key=lambda e: e["file"])):
        if rc or err.strip():
            failed += 1
            print(f"FAIL {os.path.relpath(f, root)}\n{err}")
print(f"clang, x86_64-w64-mingw32: {len(entries)} files, {failed} with findings")
sys.exit(1 if failed or not entries else 0)
PY
