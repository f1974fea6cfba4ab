#!/usr/bin/env python3
"""Fails when the folders under src/ include each other in a circle, or the portable services look up.

A folder is a file's directory under src/ (platform/win32 is a folder of its own). An edge a -> b is an
`#include "b/..."` in a file of a. app/program.h is left out: Program is the context every handler is
handed, and the handler folders see it from below while app/ binds them from above.

The files of platform/ itself are the bottom layer (the fuzz targets build them alone): they include
nothing of src/ outside platform/. Its sub-folders, the two desktops, are the top.
"""
import pathlib
import re
import sys

ROOT = pathlib.Path(__file__).resolve().parent.parent / "src"
CONTEXT = "app/program.h"
BOTTOM = "platform"

INCLUDE = re.compile(r'^\s*#\s*include\s+"([^"]+)"', re.M)


def folder_of(rel: str) -> str:
    return str(pathlib.PurePosixPath(rel).parent)


def main() -> int:
    edges: dict[str, set[str]] = {}
    upward: list[str] = []
    for f in sorted(ROOT.rglob("*")):
        if f.suffix not in (".cpp", ".h"):
            continue
        here = folder_of(f.relative_to(ROOT).as_posix())
        for target in INCLUDE.findall(f.read_text(encoding="utf-8", errors="replace")):
            if target == CONTEXT or not (ROOT / target).exists():
                continue
            there = folder_of(target)
            if here == BOTTOM and there != BOTTOM:
                upward.append(f"{f.relative_to(ROOT).as_posix()} includes {target}")
            if there != here:
                edges.setdefault(here, set()).add(there)

    # Strongly connected components (Tarjan): any with more than one folder is a circle.
    index, low, stack, on, found = {}, {}, [], set(), []

    def visit(v: str) -> None:
        index[v] = low[v] = len(index)
        stack.append(v)
        on.add(v)
        for w in edges.get(v, ()):
            if w not in index:
                visit(w)
                low[v] = min(low[v], low[w])
            elif w in on:
                low[v] = min(low[v], index[w])
        if low[v] == index[v]:
            comp = set()
            while True:
                w = stack.pop()
                on.discard(w)
                comp.add(w)
                if w == v:
                    break
            if len(comp) > 1:
                found.append(comp)

    for v in sorted(edges):
        if v not in index:
            visit(v)

    for c in found:
        print("include circle: " + " <-> ".join(sorted(c)))
        for a in sorted(c):
            print(f"  {a} -> " + ", ".join(sorted(edges.get(a, set()) & c)))
    for line in upward:
        print("portable service looks up: " + line)
    if found or upward:
        return 1
    folders = len(set(edges) | {b for s in edges.values() for b in s})
    print(f"no include circle between the {folders} folders; platform/ includes only platform/")
    return 0


if __name__ == "__main__":
    sys.exit(main())
