#!/usr/bin/env python3
"""Writes a MaterialX document with N textured materials, for timing round trips:
   textured_document.py N OUT.mtlx
Each material has a node graph with a colour, a roughness and a normal texture
(tiled images behind a shared tiling input) and a fileprefix on the document."""
import sys


def material(i):
    g = f"NG_m{i}"
    return f"""  <nodegraph name="{g}">
    <input name="tiling" type="vector2" value="{1 + i % 4}, {1 + i % 3}" />
    <input name="tint" type="color3" value="0.8, {(i % 10) / 10}, 0.2" />
    <tiledimage name="albedo" type="color3">
      <input name="file" type="filename" value="m{i}_albedo.png" colorspace="srgb_texture" />
      <input name="uvtiling" type="vector2" interfacename="tiling" />
    </tiledimage>
    <multiply name="tinted" type="color3">
      <input name="in1" type="color3" nodename="albedo" />
      <input name="in2" type="color3" interfacename="tint" />
    </multiply>
    <tiledimage name="rough" type="float">
      <input name="file" type="filename" value="m{i}_rough.png" />
      <input name="uvtiling" type="vector2" interfacename="tiling" />
    </tiledimage>
    <tiledimage name="normal_tex" type="vector3">
      <input name="file" type="filename" value="m{i}_normal.png" />
      <input name="uvtiling" type="vector2" interfacename="tiling" />
    </tiledimage>
    <normalmap name="nmap" type="vector3">
      <input name="in" type="vector3" nodename="normal_tex" />
      <input name="scale" type="float" value="0.5" />
    </normalmap>
    <output name="out_color" type="color3" nodename="tinted" />
    <output name="out_rough" type="float" nodename="rough" />
    <output name="out_normal" type="vector3" nodename="nmap" />
  </nodegraph>
  <standard_surface name="SR_m{i}" type="surfaceshader">
    <input name="base" type="float" value="1" />
    <input name="base_color" type="color3" nodegraph="{g}" output="out_color" />
    <input name="specular_roughness" type="float" nodegraph="{g}" output="out_rough" />
    <input name="normal" type="vector3" nodegraph="{g}" output="out_normal" />
    <input name="metalness" type="float" value="{(i % 2)}" />
  </standard_surface>
  <surfacematerial name="M_{i}" type="material">
    <input name="surfaceshader" type="surfaceshader" nodename="SR_m{i}" />
  </surfacematerial>
"""


def main():
    count = int(sys.argv[1])
    with open(sys.argv[2], "w", encoding="utf-8") as out:
        out.write('<?xml version="1.0"?>\n<materialx version="1.38" fileprefix="textures/">\n')
        for i in range(count):
            out.write(material(i))
        out.write("</materialx>\n")


if __name__ == "__main__":
    main()
