#!/usr/bin/env python3
"""Writes hostile MaterialX inputs into a folder, one case per name:
CASE.mtlx (plus CASE.d/ for includes, or CASE as a folder itself).
Usage: generate.py OUTDIR [--large]"""
import os
import sys

HEAD = '<?xml version="1.0"?>\n<materialx version="1.38">\n'
TAIL = '</materialx>\n'


def material(shader_inputs=""):
    return ('  <standard_surface name="S" type="surfaceshader">\n' + shader_inputs +
            '  </standard_surface>\n'
            '  <surfacematerial name="M" type="material">\n'
            '    <input name="surfaceshader" type="surfaceshader" nodename="S" />\n'
            '  </surfacematerial>\n')


def chain(n):
    body = ['  <nodegraph name="G">\n',
            '    <constant name="n0" type="color3"><input name="value" type="color3" value="1, 0, 0" /></constant>\n']
    for i in range(1, n):
        body.append('    <multiply name="n%d" type="color3"><input name="in1" type="color3" nodename="n%d" />'
                    '<input name="in2" type="float" value="1" /></multiply>\n' % (i, i - 1))
    body.append('    <output name="out" type="color3" nodename="n%d" />\n  </nodegraph>\n' % (n - 1))
    inputs = '    <input name="base_color" type="color3" nodegraph="G" output="out" />\n'
    return HEAD + "".join(body) + material(inputs) + TAIL


def many_attributes(n):
    attrs = " ".join('a%d="%d"' % (i, i) for i in range(n))
    return HEAD + '  <constant name="c" type="float" %s />\n' % attrs + material() + TAIL


def unnamed(n):
    return HEAD + "".join('  <look />\n' for _ in range(n)) + material() + TAIL


def nested_definitions(levels):
    out = [HEAD]
    for i in range(levels):
        out.append('  <nodedef name="ND_l%d" node="l%d"><input name="in" type="float" value="1" />'
                   '<output name="out" type="float" /></nodedef>\n' % (i, i))
        inner = ('<multiply name="m" type="float"><input name="in1" type="float" interfacename="in" />'
                 '<input name="in2" type="float" value="0.5" /></multiply>' if i == 0 else
                 '<l%d name="m" type="float"><input name="in" type="float" interfacename="in" /></l%d>' % (i - 1, i - 1))
        out.append('  <nodegraph name="NG_l%d" nodedef="ND_l%d">%s<output name="out" type="float" nodename="m" />'
                   '</nodegraph>\n' % (i, i, inner))
    out.append('  <l%d name="top" type="float" />\n' % (levels - 1))
    out.append(material('    <input name="base" type="float" nodename="top" />\n'))
    return "".join(out) + TAIL


def large(megabytes):
    out = [HEAD]
    size, i = 0, 0
    while size < megabytes * 1000000:
        block = ('  <standard_surface name="S%d" type="surfaceshader">\n'
                 '    <input name="base_color" type="color3" value="0.%d, 0.5, 0.25" />\n'
                 '    <input name="specular_roughness" type="float" value="0.3" />\n'
                 '  </standard_surface>\n'
                 '  <surfacematerial name="M%d" type="material">\n'
                 '    <input name="surfaceshader" type="surfaceshader" nodename="S%d" />\n'
                 '  </surfacematerial>\n') % (i, i % 10, i, i)
        out.append(block)
        size += len(block)
        i += 1
    return "".join(out) + TAIL


def fan_out(folder, files):
    # Each file includes the next one twice: read naively, the work doubles per file.
    os.makedirs(folder, exist_ok=True)
    for i in range(files):
        includes = "" if i == files - 1 else ('  <xi:include href="f%d.mtlx" />\n' % (i + 1)) * 2
        text = ('<?xml version="1.0"?>\n<materialx version="1.38" xmlns:xi="http://www.w3.org/2001/XInclude">\n' +
                includes + '  <constant name="c%d" type="float" />\n' % i + TAIL)
        with open(os.path.join(folder, "f%d.mtlx" % i), "w") as f:
            f.write(text)
    return ('<?xml version="1.0"?>\n<materialx version="1.38" xmlns:xi="http://www.w3.org/2001/XInclude">\n'
            '  <xi:include href="%s/f0.mtlx" />\n' % os.path.basename(folder) + material() + TAIL)


def main():
    out = sys.argv[1]
    os.makedirs(out, exist_ok=True)

    def path(name):
        return os.path.join(out, name)

    cases = {
        "chain_20000": chain(20000),
        "chain_40000": chain(40000),
        "attributes_100000": many_attributes(100000),
        "unnamed_40000": unnamed(40000),
        "nested_definitions_4000": nested_definitions(4000),
        "fanout_26": fan_out(path("fanout_26.d"), 26),
        "malformed": HEAD + '  <standard_surface name="S" type="surfaceshader">\n',
        "nul_bytes": HEAD + '  <constant name="c\0x" type="float" value="1\0" />\n' + material() + TAIL,
        "bad_utf8": HEAD + '  <constant name="c" type="string" value="\udcff\udcfe" />\n' + material() + TAIL,
        "entity_expansion": ('<?xml version="1.0"?>\n<!DOCTYPE m [<!ENTITY a "aaaaaaaaaa">'
                             + "".join('<!ENTITY %s "%s">' % (chr(98 + k), ("&%s;" % chr(97 + k)) * 10) for k in range(8))
                             + ']>\n<materialx version="1.38">\n  <constant name="c" type="string" value="&i;" />\n'
                             + material() + TAIL),
        "huge_numbers": HEAD + material('    <input name="base" type="float" value="1e999" />\n'
                                        '    <input name="base_color" type="color3" value="nan, inf, -1e999" />\n'
                                        '    <input name="specular" type="float" value="-nan" />\n') + TAIL,
        "recursive_definitions": (HEAD + '  <nodedef name="ND_r" node="r"><output name="out" type="float" /></nodedef>\n'
                                  '  <nodegraph name="NG_r" nodedef="ND_r"><r name="self" type="float" />'
                                  '<output name="out" type="float" nodename="self" /></nodegraph>\n'
                                  '  <r name="top" type="float" />\n'
                                  + material('    <input name="base" type="float" nodename="top" />\n') + TAIL),
        "include_folder": ('<?xml version="1.0"?>\n<materialx version="1.38" xmlns:xi="http://www.w3.org/2001/XInclude">\n'
                           '  <xi:include href="include_folder.d" />\n' + material() + TAIL),
    }
    if "--large" in sys.argv:
        cases["large_50mb"] = large(50)
    os.makedirs(path("include_folder.d"), exist_ok=True)
    os.makedirs(path("folder_as_document.mtlx"), exist_ok=True)
    for name, text in cases.items():
        with open(path(name + ".mtlx"), "w", encoding="utf-8", errors="surrogateescape") as f:
            f.write(text)


if __name__ == "__main__":
    main()
