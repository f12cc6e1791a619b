#!/usr/bin/env python3
"""Writes the seed file sets of the XInclude fuzz target (corpus/xinclude):
documents from the shared examples joined by includes in the shapes that
matter: one include, a chain, a file included twice, a cycle, a fan-out, a
missing file and a folder. Run: python3 tests/fuzz/seed_file_sets.py EXAMPLES_DIR"""
import pathlib
import sys

SEPARATOR = "\n---8<---\n"
HEAD = '<?xml version="1.0"?>\n<materialx version="1.38" xmlns:xi="http://www.w3.org/2001/XInclude">\n'
TAIL = "</materialx>\n"


def including(*names, body=""):
    return HEAD + "".join(f'  <xi:include href="{n}" />\n' for n in names) + body + TAIL


def main(examples):
    ex = lambda name: (examples / f"{name}.mtlx").read_text()
    sets = {
        "one_include": [including("1.mtlx"), ex("standard_surface_brass_tiled")],
        "one_include_graph": [including("1.mtlx"), ex("usergraph")],
        "chain": [including("1.mtlx"), including("2.mtlx"), including("3.mtlx"), ex("standard_surface_marble_solid")],
        "twice": [including("1.mtlx", "2.mtlx"), including("2.mtlx"), ex("standard_surface_carpaint")],
        "cycle": [including("1.mtlx"), including("0.mtlx")],
        "self": [including("0.mtlx")],
        "fan_out": [including("1.mtlx", "1.mtlx"), including("2.mtlx", "2.mtlx"), including("3.mtlx", "3.mtlx"),
                    ex("standard_surface_default")],
        "missing": [including("9.mtlx")],
        "folder": [including("dir")],
        "malformed_include": [including("1.mtlx"), ex("malformed")],
        "look_and_material": [including("1.mtlx", "2.mtlx"), ex("standard_surface_look_brass_tiled"),
                              ex("standard_surface_wood_tiled")],
        "defs_included": [including("1.mtlx", body=ex("deep_nested").split("\n", 2)[2].rsplit("</materialx>", 1)[0]),
                          ex("normals_disp")],
    }
    out = pathlib.Path(__file__).parent / "corpus" / "xinclude"
    out.mkdir(parents=True, exist_ok=True)
    for name, files in sets.items():
        (out / f"{name}.txt").write_text(SEPARATOR.join(files))


if __name__ == "__main__":
    main(pathlib.Path(sys.argv[1]))
