#!/usr/bin/env python3
"""Prints each exported name that no installed header declares; exits 1 when there is one.

Reads demangled dynamic symbols (nm -D --defined-only -C, the name column), one a line, on
standard input. A name counts as declared when every part of its qualified name (namespace,
classes, the function or variable itself) is a word of the headers under INCLUDE_DIR. Instances
of the C++ library's own templates are the C++ library's, not ours, and are passed over.
Usage: undeclared_exports.py INCLUDE_DIR < symbols
"""
import pathlib
import re
import sys

SPECIAL = ("typeinfo name for ", "typeinfo for ", "vtable for ", "VTT for ", "construction vtable for ",
           "non-virtual thunk to ", "virtual thunk to ", "covariant return thunk to ",
           "guard variable for ", "TLS init function for ", "TLS wrapper function for ")
LIBRARY = ("std::", "__gnu_cxx::", "__cxxabiv1::")
# The linker's and the C runtime's own symbols in every shared object.
RUNTIME = {"_init", "_fini", "__bss_start", "_edata", "_end"}


def without_parameters(name: str) -> str:
    """The name without its parameter list and qualifiers: "a::b(int) const" -> "a::b"."""
    end = name.rfind(")")
    if end < 0:
        return name
    depth = 0
    for i in range(end, -1, -1):
        if name[i] == ")":
            depth += 1
        elif name[i] == "(":
            depth -= 1
            if depth == 0:
                return name[:i]
    return name


def parts(name: str):
    """The parts of a qualified name, split at "::" outside template arguments."""
    found, depth, start, i = [], 0, 0, 0
    while i < len(name):
        c = name[i]
        if c in "<(":
            depth += 1
        elif c in ">)":
            depth -= 1
        elif depth == 0 and name.startswith("::", i):
            found.append(name[start:i])
            start = i + 2
            i += 1
        i += 1
    found.append(name[start:])
    return found


def last_word(name: str) -> str:
    """The name without a return type in front: "void a::b<int>" -> "a::b<int>"."""
    depth, start = 0, 0
    for i, c in enumerate(name):
        if c in "<(":
            depth += 1
        elif c in ">)":
            depth -= 1
        elif c == " " and depth == 0:
            start = i + 1
    return name[start:]


def identifier(part: str) -> str:
    part = re.sub(r"\[abi:\w+\]", "", part.split("<", 1)[0]).strip()
    return part.lstrip("~")


def main():
    include = pathlib.Path(sys.argv[1])
    words = set()
    for header in include.rglob("*.h"):
        words.update(re.findall(r"[A-Za-z_][A-Za-z0-9_]*", header.read_text(encoding="utf-8")))
    undeclared = []
    for line in sys.stdin:
        symbol = line.strip()
        if not symbol or symbol in RUNTIME:
            continue
        entity = symbol
        for prefix in SPECIAL:
            if entity.startswith(prefix):
                entity = entity[len(prefix):]
                break
        name = last_word(without_parameters(entity))
        if name.startswith(LIBRARY):
            continue
        for part in parts(name):
            name = identifier(part)
            if name.startswith("operator"):
                continue
            if name not in words:
                undeclared.append(f"{symbol}  ({name or part} is in no installed header)")
                break
    for line in undeclared:
        print(line)
    return 1 if undeclared else 0


if __name__ == "__main__":
    sys.exit(main())
