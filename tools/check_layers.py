#!/usr/bin/env python3
"""Fails when a source file includes a header of a layer above its own.

Each folder under src/ (and site/pages) is a layer or a subsystem; LAYERS
says which folders it may include from. The build runs this before compiling
any library, so an upward include stops the build with the file and line.
With --stamp FILE it touches FILE on success (the build's record that the
check ran)."""
import pathlib
import re
import sys

BASE = {"core": set(), "platform": {"core"}, "frame": {"core", "platform"}}
BELOW_SUBSYSTEMS = {"core", "platform", "frame"}
# Subsystems may use each other along these edges only (no cycles).
SUBSYSTEMS = {
    "hash": set(),
    "check": set(),
    "text": {"check"},
    "html": {"text", "check"},
    "files": {"html", "text", "check"},
    "upload": {"files", "text", "check"},
    "transfer": {"files", "html", "upload", "text", "check"},
}
SUBSYSTEMS["filemanager"] = set(SUBSYSTEMS)
LAYERS = dict(BASE)
for name, uses in SUBSYSTEMS.items():
    LAYERS[name] = BELOW_SUBSYSTEMS | uses
LIBRARY = BELOW_SUBSYSTEMS | set(SUBSYSTEMS)
LAYERS["component"] = LIBRARY
# Front ends: the native host, the DLL, the command line and the demo site.
LAYERS["host"] = LIBRARY | {"component"}
LAYERS["com"] = LIBRARY | {"component"}
LAYERS["site"] = LIBRARY | {"component", "host"}
LAYERS["tools"] = LIBRARY | {"component", "host", "site"}
# Generated headers (decl/members.h) belong to core and are seen by all.
ANYWHERE = {"decl"}

INCLUDE = re.compile(r'^\s*#\s*include\s+"([A-Za-z_]+)/')


def layer_of(path, root):
    rel = path.relative_to(root).parts
    if rel[0] == "src":
        return rel[1]
    if rel[:2] == ("site", "pages"):
        return "site"
    return None


def check(root):
    errors = []
    files = [*root.glob("src/**/*.[ch]pp"), *root.glob("src/**/*.h"), *root.glob("site/pages/*.[ch]pp"),
             *root.glob("site/pages/*.h")]
    for path in sorted(set(files)):
        layer = layer_of(path, root)
        if layer not in LAYERS:
            errors.append(f"{path}: folder '{layer}' is in no layer; add it to tools/check_layers.py")
            continue
        allowed = LAYERS[layer] | {layer} | ANYWHERE
        for no, line in enumerate(path.read_text(encoding="utf-8").splitlines(), 1):
            m = INCLUDE.match(line)
            if m and m.group(1) not in allowed:
                errors.append(f"{path}:{no}: error: layer '{layer}' may not include '{m.group(1)}/' "
                              f"(it may include: {', '.join(sorted(allowed - ANYWHERE))})")
    return errors


def main():
    root = pathlib.Path(__file__).resolve().parent.parent
    errors = check(root)
    for e in errors:
        print(e, file=sys.stderr)
    if errors:
        print("upward include: see docs/architecture.md for the layers", file=sys.stderr)
        return 1
    if "--stamp" in sys.argv:
        pathlib.Path(sys.argv[sys.argv.index("--stamp") + 1]).touch()
    return 0


if __name__ == "__main__":
    sys.exit(main())
