#include "LargeDocument.h"

#include <fstream>

namespace rozo::bench
{
namespace
{
void appendMaterial(std::string& out, int index)
{
    const std::string n = std::to_string(index);
    const std::string stem = "textures/material_" + n;
    out += "  <image name=\"color_" + n + "\" type=\"color3\">\n"
                                          "    <input name=\"file\" type=\"filename\" value=\"" +
           stem + "_color.png\" colorspace=\"srgb_texture\" />\n"
                  "    <input name=\"uaddressmode\" type=\"string\" value=\"periodic\" />\n"
                  "  </image>\n"
                  "  <image name=\"roughness_" +
           n + "\" type=\"float\">\n"
               "    <input name=\"file\" type=\"filename\" value=\"" +
           stem + "_roughness.png\" />\n"
                  "    <input name=\"default\" type=\"float\" value=\"0.5\" />\n"
                  "  </image>\n"
                  "  <image name=\"normal_" +
           n + "\" type=\"vector3\">\n"
               "    <input name=\"file\" type=\"filename\" value=\"" +
           stem + "_normal.png\" />\n"
                  "  </image>\n"
                  "  <normalmap name=\"normalmap_" +
           n + "\" type=\"vector3\">\n"
               "    <input name=\"in\" type=\"vector3\" nodename=\"normal_" +
           n + "\" />\n"
               "    <input name=\"scale\" type=\"float\" value=\"1.0\" />\n"
               "  </normalmap>\n"
               "  <standard_surface name=\"surface_" +
           n + "\" type=\"surfaceshader\">\n"
               "    <input name=\"base\" type=\"float\" value=\"0.8\" />\n"
               "    <input name=\"base_color\" type=\"color3\" nodename=\"color_" +
           n + "\" />\n"
               "    <input name=\"specular\" type=\"float\" value=\"0.5\" />\n"
               "    <input name=\"specular_roughness\" type=\"float\" nodename=\"roughness_" +
           n + "\" />\n"
               "    <input name=\"metalness\" type=\"float\" value=\"0.0\" />\n"
               "    <input name=\"coat\" type=\"float\" value=\"0.1\" />\n"
               "    <input name=\"normal\" type=\"vector3\" nodename=\"normalmap_" +
           n + "\" />\n"
               "  </standard_surface>\n"
               "  <surfacematerial name=\"material_" +
           n + "\" type=\"material\">\n"
               "    <input name=\"surfaceshader\" type=\"surfaceshader\" nodename=\"surface_" +
           n + "\" />\n"
               "  </surfacematerial>\n";
}
} // namespace

std::string largeDocument(int materials)
{
    std::string out = "<?xml version=\"1.0\"?>\n<materialx version=\"1.38\" colorspace=\"lin_rec709\">\n";
    out.reserve(out.size() + static_cast<std::size_t>(materials) * 1500);
    for (int i = 0; i < materials; ++i)
        appendMaterial(out, i);
    out += "</materialx>\n";
    return out;
}

bool writeLargeDocument(const std::string& path, int materials)
{
    std::ofstream file(path, std::ios::binary);
    file << largeDocument(materials);
    file.close();
    return static_cast<bool>(file);
}
} // namespace rozo::bench
