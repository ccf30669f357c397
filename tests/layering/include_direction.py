#!/usr/bin/env python3
"""Fails, naming each one, on an #include that points up the layer list.

The layers, from the bottom: the library's pushwren/platform, pushwren/contracts,
pushwren/subscriptions, pushwren/bridge, pushwren/plugin, then the reference host in sim. A source
or header in one layer may include its own layer's files and those of the layers below it, never
one above. Usage: include_direction.py SOURCE_ROOT
"""
import pathlib
import re
import sys

LAYERS = ["pushwren/platform", "pushwren/contracts", "pushwren/subscriptions", "pushwren/bridge",
          "pushwren/plugin", "sim"]
RANK = {name: rank for rank, name in enumerate(LAYERS)}
INCLUDE = re.compile(r'^\s*#\s*include\s*[<"]([^">]+)[">]')
SUFFIXES = {".h", ".hpp", ".cpp", ".cc", ".ipp"}


def layer_of(path: str):
    for layer in LAYERS:
        if path.startswith(layer + "/"):
            return layer
    return None


def upward_includes(root: pathlib.Path):
    for layer in LAYERS:
        for source in sorted((root / layer).rglob("*")):
            if source.suffix not in SUFFIXES or not source.is_file():
                continue
            relative = source.relative_to(root)
            for number, line in enumerate(source.read_text(encoding="utf-8", errors="replace").splitlines(), 1):
                match = INCLUDE.match(line)
                if not match:
                    continue
                target = layer_of(match.group(1))
                if target is not None and RANK[target] > RANK[layer]:
                    yield f"{relative}:{number}: {layer}/ includes {match.group(1)} from {target}/, a layer above it"


def main():
    root = pathlib.Path(sys.argv[1] if len(sys.argv) > 1 else ".").resolve()
    if not any((root / layer).is_dir() for layer in LAYERS):
        print(f"no layer directories under {root}", file=sys.stderr)
        return 2
    found = list(upward_includes(root))
    for line in found:
        print(line)
    if found:
        print(f"{len(found)} include(s) point up the layer list {' < '.join(LAYERS)}", file=sys.stderr)
        return 1
    return 0


if __name__ == "__main__":
    sys.exit(main())
