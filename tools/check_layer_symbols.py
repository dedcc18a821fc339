#!/usr/bin/env python3
"""Fails when a layer's library calls one of our routines that neither it nor
the layers below it define: an upward call, which a full link would let
through whenever the higher object happens to be pulled in anyway.

  check_layer_symbols.py NM STAMP LIB [LOWER_LIB...]"""
import subprocess
import sys


def symbols(nm, lib, flag):
    out = subprocess.run([nm, "-g", "-P", flag, lib], capture_output=True, text=True, check=True).stdout
    names = set()
    for line in out.splitlines():
        parts = line.split()
        if len(parts) >= 2 and not parts[0].endswith(":"):
            names.add(parts[0])
    return names


def main():
    nm, stamp, lib, *lower = sys.argv[1:]
    defined = symbols(nm, lib, "--defined-only")
    for other in lower:
        defined |= symbols(nm, other, "--defined-only")
    # Ours are in namespace brevane ("7brevane" in the mangled name).
    missing = sorted(s for s in symbols(nm, lib, "--undefined-only") - defined if "7brevane" in s)
    if missing:
        demangled = subprocess.run(["c++filt"], input="\n".join(missing), capture_output=True, text=True).stdout
        for name in demangled.splitlines():
            print(f"{lib}: error: calls {name}, defined in no layer below it (an upward call)", file=sys.stderr)
        return 1
    open(stamp, "w").close()
    return 0


if __name__ == "__main__":
    sys.exit(main())
