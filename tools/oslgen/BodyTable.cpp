#include "BodyTable.h"

#include "ShaderWriter.h"

#include "import/ColorSpaces.h"
#include "plugin/contracts/OslNaming.h"

#include <cstdio>
#include <functional>
#include <map>
#include <stdexcept>

namespace oslgen
{

BodyContext::BodyContext(const NodeDefinition& definition) :
    def_(definition)
{
    for (const PortDefinition& port : def_.inputs)
        inputs_.push_back(oslTypeFor(port.type).value_or(OslType{}));
    for (const PortDefinition& port : def_.outputs)
        outputs_.push_back(oslTypeFor(port.type).value_or(OslType{}));
    if (outputs_.empty())
        outputs_.push_back(OslType{});
}

const OslType& BodyContext::type(const std::string& port) const
{
    for (size_t i = 0; i < def_.inputs.size(); ++i)
        if (def_.inputs[i].name == port)
            return inputs_[i];
    for (size_t i = 0; i < def_.outputs.size(); ++i)
        if (def_.outputs[i].name == port)
            return outputs_[i];
    throw std::logic_error("body entry for " + def_.name + " uses unknown port " + port);
}

bool BodyContext::versionAtLeast(int major, int minor) const
{
    int haveMajor = 0;
    int haveMinor = 0;
    if (std::sscanf(def_.version.c_str(), "%d.%d", &haveMajor, &haveMinor) < 1)
        return false;
    return haveMajor > major || (haveMajor == major && haveMinor >= minor);
}

bool BodyContext::has(const std::string& port) const
{
    for (const PortDefinition& p : def_.inputs)
        if (p.name == port)
            return true;
    return false;
}

namespace
{

using Body = std::optional<std::string>;
using Entry = std::function<Body(const BodyContext&)>;

std::string joined(const std::vector<std::string>& items, const std::string& separator = ", ")
{
    std::string out;
    for (size_t i = 0; i < items.size(); ++i)
        out += (i ? separator : "") + items[i];
    return out;
}

Entry line(const std::string& statement)
{
    return [statement](const BodyContext&) -> Body { return statement; };
}

// A unary math node. An integer result (floor, ceil and round of a float) uses
// `integerForm` with "in" in place of X.
Entry unary(const std::string& helper, const std::string& integerForm = "")
{
    return [helper, integerForm](const BodyContext& c) -> Body {
        if (c.out().mtlx == "integer")
        {
            if (integerForm.empty())
                return std::nullopt;
            std::string expr = integerForm;
            expr.replace(expr.find('X'), 1, "in");
            return "out = int(" + expr + ");";
        }
        return "out = " + helper + "(in);";
    };
}

bool isMatrix(const OslType& t)
{
    return t.elementMtlx == "matrix33" || t.elementMtlx == "matrix44";
}

// Wraps a matrix result so a matrix33 keeps the identity's last row and column.
std::string matrixResult(const BodyContext& c, const std::string& expr)
{
    return c.out().isMatrix33 ? "mx_m33(" + expr + ")" : expr;
}

// Brings an amplitude-like input to the output type unless it is a single float.
std::string asOutputType(const BodyContext& c, const std::string& port)
{
    const OslType& t = c.type(port);
    if (t.mtlx == "float" || t.mtlx == c.out().mtlx)
        return port;
    return convertExpr(t, c.out(), port);
}

// A blend mode: the mode's result mixed over bg by "mix".
Entry blend(const std::string& resultExpr)
{
    return [resultExpr](const BodyContext&) -> Body {
        return "out = mx_mix(bg, " + resultExpr + ", mix1);";
    };
}

// The boolean variants have no in1 and in2: the comparison itself is the result.
Entry comparison(const std::string& op)
{
    return [op](const BodyContext& c) -> Body {
        if (!c.has("in1"))
            return "if (value1 " + op + " value2)\n    out = 1;\nelse\n    out = 0;";
        return "if (value1 " + op + " value2)\n    out = in1;\nelse\n    out = in2;";
    };
}

Body switchBody(const BodyContext& c)
{
    std::string body = c.type("which").mtlx == "integer" ? "int index = which;\n"
                                                         : "int index = int(floor(which));\n";
    std::vector<std::string> inputs;
    for (int i = 1; i <= 10; ++i)
        if (c.has("in" + std::to_string(i)))
            inputs.push_back("in" + std::to_string(i));
    for (size_t i = 0; i + 1 < inputs.size(); ++i)
        body += std::string(i ? "else " : "") + "if (index <= " + std::to_string(i) + ")\n    out = " +
                inputs[i] + ";\n";
    body += "else\n    out = " + inputs.back() + ";";
    return body;
}

Body convertBody(const BodyContext& c)
{
    // Any value that is not zero is true.
    if (c.out().mtlx == "boolean")
        return std::string("if (in != 0)\n    out = 1;\nelse\n    out = 0;");
    const MissingChannels missing =
        c.versionAtLeast(1, 39) ? MissingChannels::ZeroButFourth : MissingChannels::One;
    return "out = " + convertExpr(c.type("in"), c.out(), "in", missing) + ";";
}

// A row of a matrix, the index held to the rows there are.
Body extractBody(const BodyContext& c)
{
    const OslType& in = c.type("in");
    if (!isMatrix(in))
        return std::string("out = mx_extract(in, index);");
    const int n = in.isMatrix33 ? 3 : 4;
    std::vector<std::string> row;
    for (int i = 0; i < n; ++i)
        row.push_back("in[r][" + std::to_string(i) + "]");
    return "int r = index;\nif (r < 0)\n    r = 0;\nif (r > " + std::to_string(n - 1) + ")\n    r = " +
           std::to_string(n - 1) + ";\nout = " + pack(c.out(), row) + ";";
}

Body swizzleBody(const BodyContext& c)
{
    std::vector<std::string> picks;
    for (int i = 0; i < c.out().components; ++i)
        picks.push_back("mx_swizzle_pick(in, channels, " + std::to_string(i) + ")");
    return "out = " + pack(c.out(), picks) + ";";
}

// combine2/3/4: the inputs' channels in order make the output's channels.
Body combineBody(const BodyContext& c)
{
    std::vector<std::string> channels;
    for (const PortDefinition& port : c.definition().inputs)
    {
        const OslType& t = c.type(port.name);
        for (int i = 0; i < t.components; ++i)
            channels.push_back(component(t, port.name, i));
    }
    if (static_cast<int>(channels.size()) != c.out().components)
        return std::nullopt;
    return "out = " + pack(c.out(), channels) + ";";
}

Body createMatrixBody(const BodyContext& c)
{
    std::vector<std::string> m;
    const int rows = c.out().isMatrix33 ? 3 : 4;
    for (int r = 0; r < 4; ++r)
    {
        const std::string row = "in" + std::to_string(r + 1);
        const bool present = r < rows && c.has(row);
        const int n = present ? c.type(row).components : 0;
        for (int col = 0; col < 4; ++col)
        {
            if (present && col < n && !(c.out().isMatrix33 && col == 3))
                m.push_back(component(c.type(row), row, col));
            else
                m.push_back(r == col && (col == 3) ? "1.0" : "0.0");
        }
    }
    return "out = matrix(" + joined(m) + ");";
}

Body separateBody(const BodyContext& c)
{
    const OslType& in = c.type("in");
    std::string body;
    for (size_t i = 0; i < c.definition().outputs.size(); ++i)
        body += std::string(i ? "\n" : "") + c.definition().outputs[i].name + " = " +
                component(in, "in", static_cast<int>(i)) + ";";
    return body;
}

Body noiseBody(const BodyContext& c, const std::string& coordinate)
{
    return "out = mx_noise_" + c.out().mtlx + "(" + coordinate + ") * " +
           asOutputType(c, "amplitude") + " + pivot;";
}

Body worleyBody(const BodyContext& c, const std::string& point, const std::string& flat)
{
    const std::string args = "(" + point + ", jitter, " + flat + ");\n";
    std::string d = "vector distances = mx_worley_distances" + args;
    // Style 1 (solid) gives the nearest cell's random value in place of the distances.
    if (c.has("style"))
        d = "vector distances = vector(0.0, 0.0, 0.0);\nif (style == 1)\n    distances = mx_worley_cell" + args +
            "else\n    distances = mx_worley_distances" + args;
    if (c.out().mtlx == "float")
        return d + "out = distances[0];";
    if (c.out().mtlx == "vector2")
        return d + "out = vector2(distances[0], distances[1]);";
    return d + "out = distances;";
}

Body unifiedNoiseBody(const BodyContext& c, const std::string& point, const std::string& flat)
{
    const std::string distances = "mx_worley_distances(p, jitter, " + flat + ")";
    const std::string worley = c.has("style") ? "vector distances = vector(0.0, 0.0, 0.0);\n"
                                                "    if (style == 1)\n"
                                                "        distances = mx_worley_cell(p, jitter, " +
                                                    flat + ");\n    else\n        distances = " + distances + ";\n"
                                              : "vector distances = " + distances + ";\n";
    return "vector p = " + point + ";\n"
                                   "float n = 0.0;\n"
                                   "if (type == 0) {\n"
                                   "    n = mx_noise_float(p) * 0.5 + 0.5;\n"
                                   "} else if (type == 1) {\n"
                                   "    float cell = cellnoise(point(p[0], p[1], p[2]));\n"
                                   "    n = cell;\n"
                                   "} else if (type == 2) {\n"
                                   "    " +
           worley + "    n = distances[0];\n"
                    "} else {\n"
                    "    n = mx_fractal_float(p, octaves, lacunarity, diminish);\n"
                    "}\n"
                    "n = outmin + n * (outmax - outmin);\n"
                    "if (clampoutput)\n"
                    "    n = clamp(n, min(outmin, outmax), max(outmin, outmax));\n"
                    "out = n;";
}

Body imageBody(const BodyContext&)
{
    return "out = mx_image(file, layer, default1, texcoord, uaddressmode, vaddressmode, filtertype);";
}

Body tiledImageBody(const BodyContext&)
{
    return "vector2 st = (texcoord * uvtiling - uvoffset) / realworldimagesize * realworldtilesize;\n"
           "out = mx_image(file, \"\", default1, st, \"periodic\", \"periodic\", filtertype);";
}

Body geomPropValueBody(const BodyContext& c)
{
    const OslType& t = c.out();
    if (!t.isStruct)
        return "if (!getattribute(geomprop, out))\n    out = default1;";
    std::vector<std::string> channels;
    for (int i = 0; i < t.components; ++i)
        channels.push_back("values[" + std::to_string(i) + "]");
    return "float values[" + std::to_string(t.components) + "];\n"
                                                            "if (getattribute(geomprop, values))\n    out = " +
           pack(t, channels) +
           ";\nelse\n    out = default1;";
}

Body geomColorBody(const BodyContext& c)
{
    const std::string read = "color rgb = color(1.0);\ngetattribute(\"geom:color\", rgb);\n";
    if (c.out().mtlx == "float")
        return read + "out = rgb[0];";
    if (c.out().mtlx == "color4")
        return read + "float alpha = 1.0;\ngetattribute(\"geom:alpha\", alpha);\nout = color4(rgb, alpha);";
    return read + "out = rgb;";
}

Body transformMatrixBody(const BodyContext& c)
{
    const OslType& in = c.type("in");
    const bool mat44 = c.type("mat").elementMtlx == "matrix44";
    if (in.mtlx == "vector4")
        return std::string("out = mx_row_times(in, mat);");
    if (in.mtlx == "vector2")
        return std::string("vector4 r = mx_row_times(vector4(in.x, in.y, 1.0, 0.0), mat);\n"
                           "out = vector2(r.x, r.y);");
    return std::string("vector4 r = mx_row_times(vector4(in[0], in[1], in[2], ") +
           (mat44 ? "1.0" : "0.0") + "), mat);\nout = vector(r.x, r.y, r.z);";
}

Body normalMapBody(const BodyContext& c)
{
    const bool twoScales = c.type("scale").mtlx == "vector2";
    const std::string mapped =
        std::string("vector mapped = in * 2.0 - 1.0;\n") +
        (twoScales ? "mapped = vector(mapped[0] * scale.x, mapped[1] * scale.y, mapped[2]);\n"
                   : "mapped = vector(mapped[0] * scale, mapped[1] * scale, mapped[2]);\n");
    // Without a "space" the input is always in the frame of normal, tangent and bitangent.
    if (!c.has("space"))
        return mapped + "out = normalize(tangent * mapped[0] + bitangent * mapped[1] + normal1 * mapped[2]);";
    return mapped + "if (space == \"tangent\") {\n"
                    "    vector bitangent = cross(normal1, tangent);\n"
                    "    out = normalize(tangent * mapped[0] + bitangent * mapped[1] + normal1 * mapped[2]);\n"
                    "} else {\n"
                    "    out = normalize(mapped);\n"
                    "}";
}

// Array elements in use run up to the last one that is not the zero.
std::string nonZero(const OslType& t, const std::string& element)
{
    if (t.elementMtlx == "string")
        return element + " != \"\"";
    if (t.components == 1)
        return element + " != 0";
    std::vector<std::string> tests;
    for (int i = 0; i < t.components; ++i)
        tests.push_back(component(t, element, i) + " != 0.0");
    return joined(tests, " || ");
}

Body arrayAppendBody(const BodyContext& c)
{
    const OslType& first = c.type("in1");
    const std::string n = std::to_string(ARRAY_LENGTH);
    if (!first.isArray)
        return std::string("out[0] = in1;\nout[1] = in2;");
    return "int used = 0;\n"
           "for (int i = 0; i < " +
           n + "; i += 1) {\n"
               "    out[i] = in1[i];\n"
               "    if (" +
           nonZero(first, "in1[i]") + ")\n"
                                      "        used = i + 1;\n"
                                      "}\n"
                                      "out[used < " +
           n + " ? used : " + std::to_string(ARRAY_LENGTH - 1) + "] = in2;";
}

Body artisticIorBody(const BodyContext&)
{
    return "ior = color(mx_ior_n(reflectivity[0], edge_color[0]), mx_ior_n(reflectivity[1], edge_color[1]),\n"
           "            mx_ior_n(reflectivity[2], edge_color[2]));\n"
           "extinction = color(mx_ior_k(reflectivity[0], ior[0]), mx_ior_k(reflectivity[1], ior[1]),\n"
           "                   mx_ior_k(reflectivity[2], ior[2]));";
}

// Colour nodes on color4 work on the colour and keep alpha.
Entry colorOp(const std::string& call)
{
    return [call](const BodyContext& c) -> Body {
        if (c.out().mtlx == "color4")
            return "out = color4(" + call + "(in.rgb" + ")" + ", in.a);";
        return "out = " + call + "(in);";
    };
}

Entry colorOpWith(const std::string& call, const std::string& extra)
{
    return [call, extra](const BodyContext& c) -> Body {
        if (c.out().mtlx == "color4")
            return "out = color4(" + call + "(in.rgb, " + extra + "), in.a);";
        return "out = " + call + "(in, " + extra + ");";
    };
}

// A float literal that keeps the digits of the library's numbers.
std::string floatLiteral(double value)
{
    char text[32];
    std::snprintf(text, sizeof text, "%.9g", value);
    std::string literal = text;
    if (literal.find_first_of(".e") == std::string::npos)
        literal += ".0";
    return literal;
}

// A colour-management transform, from the same numbers the import converts
// values with; on color4 the colour changes and alpha stays.
Body colorTransformBody(const BodyContext& c, const rozo::ColorSpace& source)
{
    const bool color4 = c.out().mtlx == "color4";
    std::string body = std::string("color c = ") + (color4 ? "in.rgb" : "in") + ";\n";
    if (source.curve == rozo::TransferCurve::Gamma)
        body += "c = pow(max(c, 0.0), " + floatLiteral(source.gamma) + ");\n";
    else if (source.curve == rozo::TransferCurve::Srgb)
        body += "for (int i = 0; i < 3; i += 1)\n"
                "    c[i] = c[i] > 0.04045 ? pow(max(c[i] + 0.055, 0.0) / 1.055, 2.4) : c[i] / 12.92;\n";
    if (source.hasMatrix)
    {
        std::vector<std::string> rows;
        for (size_t j = 0; j < 3; ++j)
        {
            std::vector<std::string> terms;
            for (size_t i = 0; i < 3; ++i)
                terms.push_back("c[" + std::to_string(i) + "] * " + floatLiteral(source.matrix[3 * i + j]));
            rows.push_back(joined(terms, " + "));
        }
        body += "c = color(" + joined(rows, ",\n          ") + ");\n";
    }
    body += color4 ? "out = color4(c, in.a);" : "out = c;";
    return body;
}

// The ramp's control points, each blending from the one before it.
Body rampBody(const BodyContext& c)
{
    std::string body = "float x = mx_ramp_coordinate(texcoord, type);\n";
    std::string previous = "color1";
    for (int i = 1; i <= 9; ++i)
    {
        const std::string k = std::to_string(i);
        const std::string next = std::to_string(i + 1);
        if (!c.has("interval" + next) || !c.has("color" + next))
            break;
        body += "out = mx_ramp_gradient(x, interval" + k + ", interval" + next + ", " +
                rozo::OslParameterName("color" + k) + ", " + rozo::OslParameterName("color" + next) +
                ", interpolation, " + previous + ", " + k + ", num_intervals);\n";
        previous = "out";
    }
    return body;
}

// The three hex tiles around the point, then one texture read per tile.
const char* HEX_TILES =
    "vector2 uv1 = texcoord;\n"
    "vector2 uv2 = texcoord;\n"
    "vector2 uv3 = texcoord;\n"
    "vector angles = vector(0.0, 0.0, 0.0);\n"
    "vector weights = vector(1.0, 0.0, 0.0);\n"
    "mx_hextile(texcoord * tiling, rotation, rotationrange, scale, scalerange, offset, offsetrange, uv1, uv2, uv3, "
    "angles, weights);\n";

Body hexTiledImageBody(const BodyContext& c)
{
    const std::string& T = c.T();
    const std::string rgb = c.out().mtlx == "color4" ? ".rgb" : "";
    std::string body = HEX_TILES;
    for (const char* i : { "1", "2", "3" })
        body += T + " c" + i + " = mx_image(file, \"\", default1, uv" + i +
                ", \"periodic\", \"periodic\", \"linear\");\n";
    body += "weights = mx_hextile_blend(weights, vector(mx_luminance(c1" + rgb + ", lumacoeffs), mx_luminance(c2" +
            rgb + ", lumacoeffs), mx_luminance(c3" + rgb +
            ", lumacoeffs)), falloff, falloffcontrast);\n"
            "out = c1 * weights[0] + c2 * weights[1] + c3 * weights[2];";
    return body;
}

Body hexTiledNormalMapBody(const BodyContext&)
{
    std::string body = HEX_TILES;
    for (const char* i : { "1", "2", "3" })
        body += std::string("vector n") + i + " = mx_hextile_normal(mx_image(file, \"\", default1, uv" + i +
                ", \"periodic\", \"periodic\", \"linear\"), angles[" + std::to_string(i[0] - '1') +
                "], flip_g);\n";
    body += "weights = mx_hextile_blend(weights, vector(1.0, 1.0, 1.0), falloff, 1.0);\n"
            "vector n = n1 * weights[0] + n2 * weights[1] + n3 * weights[2];\n"
            "n = normalize(vector(n[0] * strength, n[1] * strength, max(n[2], 1.0e-4)));\n"
            "out = normalize(tangent * n[0] + bitangent * n[1] + normal1 * n[2]);";
    return body;
}

const std::map<std::string, Entry>& table()
{
    static const std::map<std::string, Entry> entries = {
        // Textures.
        { "image", imageBody },
        { "tiledimage", tiledImageBody },
        { "triplanarprojection",
          line("out = mx_triplanar(filex, filey, filez, layerx, layery, layerz, default1, position, "
               "normal1, blend, filtertype);") },
        { "latlongimage",
          line("vector dir = normalize(viewdir);\n"
               "float longitude = 0.5 - atan2(dir[0], dir[2]) / (2.0 * M_PI) + rotation / 360.0;\n"
               "float latitude = 0.5 + asin(dir[1]) / M_PI;\n"
               "out = mx_image(file, \"\", default1, vector2(longitude, latitude), \"periodic\", \"mirror\", "
               "\"linear\");") },
        { "hextiledimage", hexTiledImageBody },
        { "hextilednormalmap", hexTiledNormalMapBody },
        { "constant", line("out = value;") },
        { "dot", line("out = in;") },
        // Ramps and splits.
        { "ramp", rampBody },
        { "ramp_gradient",
          line("out = mx_ramp_gradient(x, interval1, interval2, color1, color2, interpolation, prev_color, "
               "interval_num, num_intervals);") },
        { "ramplr", line("out = mx_mix(valuel, valuer, clamp(texcoord.x, 0.0, 1.0));") },
        // V = 1 is the top edge.
        { "ramptb", line("out = mx_mix(valueb, valuet, clamp(texcoord.y, 0.0, 1.0));") },
        { "ramp4", line("float s = clamp(texcoord.x, 0.0, 1.0);\n"
                        "float t = clamp(texcoord.y, 0.0, 1.0);\n"
                        "out = mx_mix(mx_mix(valuebl, valuebr, s), mx_mix(valuetl, valuetr, s), t);") },
        { "splitlr", line("if (texcoord.x < center)\n    out = valuel;\nelse\n    out = valuer;") },
        { "splittb", line("if (texcoord.y < center)\n    out = valueb;\nelse\n    out = valuet;") },
        // Noise.
        { "noise2d", [](const BodyContext& c) { return noiseBody(c, "texcoord"); } },
        { "noise3d", [](const BodyContext& c) { return noiseBody(c, "position"); } },
        { "fractal3d",
          [](const BodyContext& c) -> Body {
              return "out = mx_fractal_" + c.out().mtlx +
                     "(position, octaves, lacunarity, diminish) * " + asOutputType(c, "amplitude") + ";";
          } },
        { "fractal2d",
          [](const BodyContext& c) -> Body {
              return "out = mx_fractal_" + c.out().mtlx +
                     "(texcoord, octaves, lacunarity, diminish) * " + asOutputType(c, "amplitude") + ";";
          } },
        { "flake2d",
          line("mx_flake(vector(texcoord.x, texcoord.y, 0.0), size, roughness, coverage, normal1, tangent, "
               "bitangent, 1, id, rand, presence, flakenormal);") },
        { "flake3d",
          line("mx_flake(position, size, roughness, coverage, normal1, tangent, bitangent, 0, id, rand, "
               "presence, flakenormal);") },
        { "cellnoise2d", line("float n = cellnoise(texcoord.x, texcoord.y);\nout = n;") },
        { "cellnoise3d", line("float n = cellnoise(point(position[0], position[1], position[2]));\nout = n;") },
        { "worleynoise2d",
          [](const BodyContext& c) { return worleyBody(c, "vector(texcoord.x, texcoord.y, 0.0)", "1"); } },
        { "worleynoise3d", [](const BodyContext& c) { return worleyBody(c, "position", "0"); } },
        { "unifiednoise2d",
          [](const BodyContext& c) {
              return unifiedNoiseBody(
                  c, "vector(texcoord.x * freq.x + offset.x, texcoord.y * freq.y + offset.y, 0.0)", "1");
          } },
        { "unifiednoise3d",
          [](const BodyContext& c) { return unifiedNoiseBody(c, "position * freq + offset", "0"); } },
        { "randomfloat", line("out = min + mx_random(float(in), seed) * (max - min);") },
        { "randomcolor",
          line("float h = huelow + mx_random(float(in), seed) * (huehigh - huelow);\n"
               "float s = saturationlow + mx_random(float(in), seed + 1) * (saturationhigh - saturationlow);\n"
               "float b = brightnesslow + mx_random(float(in), seed + 2) * (brightnesshigh - brightnesslow);\n"
               "out = color(\"hsv\", h - floor(h), s, b);") },
        // Patterns.
        { "checkerboard",
          line("vector2 st = texcoord * uvtiling - uvoffset;\n"
               "int parity = (int(floor(st.x)) + int(floor(st.y))) % 2;\n"
               "if (parity == 0)\n    out = color2;\nelse\n    out = color1;") },
        { "line", line("out = mx_segment_distance(texcoord - center, point1, point2) <= radius ? 1.0 : 0.0;") },
        { "circle", line("out = mx_circle(texcoord, center, radius);") },
        { "cloverleaf", line("out = mx_cloverleaf(texcoord, center, radius);") },
        { "hexagon", line("out = mx_hexagon(texcoord, center, radius);") },
        { "grid",
          line("vector2 st = mx_tile(texcoord, uvtiling, uvoffset, staggered);\n"
               "float halfwidth = thickness * 0.5;\n"
               "float edge = (st.x < halfwidth || st.x > 1.0 - halfwidth || st.y < halfwidth || st.y > 1.0 - halfwidth) ? 1.0 : 0.0;\n"
               "out = color(edge);") },
        { "crosshatch",
          line("vector2 st = mx_tile(texcoord, uvtiling, uvoffset, staggered);\n"
               "float edge = (abs(st.x - st.y) < thickness || abs(st.x + st.y - 1.0) < thickness) ? 1.0 : 0.0;\n"
               "out = color(edge);") },
        { "tiledcircles",
          line("vector2 st = mx_tile(texcoord, uvtiling, uvoffset, staggered);\n"
               "out = color(mx_circle(st, vector2(0.5, 0.5), size * 0.5));") },
        { "tiledcloverleafs",
          line("vector2 st = mx_tile(texcoord, uvtiling, uvoffset, staggered);\n"
               "out = color(mx_cloverleaf(st, vector2(0.5, 0.5), size * 0.5));") },
        { "tiledhexagons",
          line("vector2 st = mx_tile(texcoord, uvtiling, uvoffset, staggered);\n"
               "out = color(mx_hexagon(st, vector2(0.5, 0.5), size * 0.5));") },
        // Geometry.
        { "position",
          line("if (space == \"world\") {\n    out = P;\n} else {\n"
               "    point p = transform(\"object\", P);\n    out = p;\n}") },
        { "normal",
          line("if (space == \"world\") {\n    out = N;\n} else {\n"
               "    normal n = transform(\"object\", N);\n    out = n;\n}") },
        { "tangent",
          line("vector t = normalize(dPdu);\nif (space != \"world\")\n    t = transform(\"object\", t);\nout = t;") },
        { "bitangent",
          line("vector b = normalize(dPdv);\nif (space != \"world\")\n    b = transform(\"object\", b);\nout = b;") },
        { "texcoord",
          [](const BodyContext& c) -> Body {
              return c.out().mtlx == "vector2" ? "out = vector2(u, v);" : "out = vector(u, v, 0.0);";
          } },
        { "geomcolor", geomColorBody },
        { "geompropvalue", geomPropValueBody },
        { "geompropvalueuniform", geomPropValueBody },
        { "bump",
          line("point displaced = P + normal1 * (height * scale);\nout = normalize(calculatenormal(displaced));") },
        { "ambientocclusion",
          line("vector t = normalize(dPdu);\n"
               "vector b = cross(N, t);\n"
               "float spread = tan(radians(clamp(coneangle, 0.0, 179.0)) * 0.5);\n"
               "float hits = 0.0;\n"
               "for (int i = 0; i < 8; i += 1) {\n"
               "    float a = (i + 0.5) * (2.0 * M_PI / 8.0);\n"
               "    vector dir = normalize(N + (t * cos(a) + b * sin(a)) * spread);\n"
               "    if (trace(P, dir, \"maxdist\", maxdistance))\n"
               "        hits += 1.0;\n"
               "}\n"
               "out = 1.0 - hits / 8.0;") },
        { "frame", line("float f = 1.0;\ngetattribute(\"frame:number\", f);\nout = f;") },
        { "time",
          line("float f = 0.0;\nif (getattribute(\"frame:number\", f) && fps > 0.0)\n    out = f / fps;\n"
               "else\n    out = time;") },
        // Math.
        { "add",
          [](const BodyContext& c) -> Body {
              return isMatrix(c.out()) ? "out = " + matrixResult(c, "mx_add(in1, in2)") + ";"
                                       : std::string("out = in1 + in2;");
          } },
        { "subtract",
          [](const BodyContext& c) -> Body {
              return isMatrix(c.out()) ? "out = " + matrixResult(c, "mx_subtract(in1, in2)") + ";"
                                       : std::string("out = in1 - in2;");
          } },
        { "multiply", line("out = in1 * in2;") },
        { "divide", line("out = in1 / in2;") },
        { "modulo", line("out = mx_modulo(in1, in2);") },
        { "invert", line("out = amount - in;") },
        { "absval", unary("mx_absval") },
        { "floor", unary("mx_floor", "floor(X)") },
        { "ceil", unary("mx_ceil", "ceil(X)") },
        { "round", unary("mx_round", "floor(X + 0.5)") },
        { "power", line("out = mx_power(in1, in2);") },
        { "safepower", line("out = mx_safepower(in1, in2);") },
        { "sin", unary("mx_sin") },
        { "cos", unary("mx_cos") },
        { "tan", unary("mx_tan") },
        { "asin", unary("mx_asin") },
        { "acos", unary("mx_acos") },
        { "atan2",
          [](const BodyContext& c) -> Body {
              return c.has("iny") ? "out = mx_atan2(iny, inx);" : "out = mx_atan2(in1, in2);";
          } },
        { "sqrt", unary("mx_sqrt") },
        { "fract", unary("mx_fract") },
        { "ln", unary("mx_ln") },
        { "exp", unary("mx_exp") },
        { "sign", unary("mx_sign") },
        { "clamp", line("out = mx_clamp(in, low, high);") },
        { "min", line("out = mx_min(in1, in2);") },
        { "max", line("out = mx_max(in1, in2);") },
        { "normalize", line("out = mx_normalize(in);") },
        { "magnitude", line("out = mx_magnitude(in);") },
        { "distance", line("out = mx_distance(in1, in2);") },
        { "dotproduct", line("out = mx_dot(in1, in2);") },
        { "crossproduct", line("out = cross(in1, in2);") },
        { "transformpoint", line("out = mx_transform_point(in, fromspace, tospace);") },
        { "transformvector", line("out = mx_transform_vector(in, fromspace, tospace);") },
        { "transformnormal", line("out = mx_transform_normal(in, fromspace, tospace);") },
        { "transformmatrix", transformMatrixBody },
        { "normalmap", normalMapBody },
        { "transpose", line("out = transpose(in);") },
        { "determinant", line("out = determinant(in);") },
        { "invertmatrix", line("out = 1.0 / in;") },
        { "rotate2d", line("out = mx_rotate2d(in, amount);") },
        { "rotate3d", line("out = mx_rotate3d(in, amount, axis);") },
        { "place2d", line("out = mx_place2d(texcoord, pivot, scale, rotate, offset, operationorder);") },
        { "arrayappend", arrayAppendBody },
        { "trianglewave",
          line("float m = abs(in) - floor(abs(in));\nout = 0.5 - abs(m - 0.5);") },
        { "reflect", line("out = reflect(in, normal1);") },
        { "refract", line("out = refract(in, normal1, ior);") },
        // Adjustment.
        { "remap", line("out = outlow + (in - inlow) / (inhigh - inlow) * (outhigh - outlow);") },
        { "smoothstep", line("out = mx_smoothstep(in, low, high);") },
        { "luminance",
          [](const BodyContext& c) -> Body {
              if (c.out().mtlx == "color4")
                  return std::string("out = color4(color(mx_luminance(in.rgb, lumacoeffs)), in.a);");
              return std::string("out = color(mx_luminance(in, lumacoeffs));");
          } },
        { "rgbtohsv", colorOp("mx_rgbtohsv") },
        { "hsvtorgb", colorOp("mx_hsvtorgb") },
        { "contrast", line("out = (in - pivot) * amount + pivot;") },
        { "range",
          line("out = outlow + mx_gamma(mx_range_unit(in, inlow, inhigh), gamma) * (outhigh - outlow);\n"
               "if (doclamp)\n    out = mx_clamp(out, outlow, outhigh);") },
        { "hsvadjust", colorOpWith("mx_hsvadjust", "amount") },
        { "saturate", colorOpWith("mx_saturate", "amount, lumacoeffs") },
        { "colorcorrect",
          colorOpWith("mx_colorcorrect",
                      "hue, saturation, gamma, lift, gain, contrast, contrastpivot, exposure") },
        { "premult", line("out = mx_premult(in);") },
        { "unpremult", line("out = mx_unpremult(in);") },
        // Compositing.
        { "plus", blend("fg + bg") },
        { "minus", blend("bg - fg") },
        { "difference", blend("mx_difference(fg, bg)") },
        { "burn", blend("mx_burn(fg, bg)") },
        { "dodge", blend("mx_dodge(fg, bg)") },
        { "screen", blend("mx_screen(fg, bg)") },
        { "overlay", blend("mx_overlay(fg, bg)") },
        { "disjointover", blend("mx_disjointover(fg, bg)") },
        { "over", blend("mx_over(fg, bg)") },
        { "in", blend("fg * bg.a") },
        { "mask", blend("bg * fg.a") },
        { "matte", blend("color4(fg.rgb * fg.a + bg.rgb * (1.0 - fg.a), fg.a + bg.a * (1.0 - fg.a))") },
        { "out", blend("fg * (1.0 - bg.a)") },
        { "inside", line("out = in * mask;") },
        { "outside", line("out = in * (1.0 - mask);") },
        { "mix", line("out = mx_mix(bg, fg, mix1);") },
        // Conditionals.
        { "ifgreater", comparison(">") },
        { "ifgreatereq", comparison(">=") },
        { "ifequal", comparison("==") },
        { "switch", switchBody },
        // Booleans are ints holding 0 or 1.
        { "and", line("if (in1 != 0 && in2 != 0)\n    out = 1;\nelse\n    out = 0;") },
        { "or", line("if (in1 != 0 || in2 != 0)\n    out = 1;\nelse\n    out = 0;") },
        { "xor", line("if ((in1 != 0) != (in2 != 0))\n    out = 1;\nelse\n    out = 0;") },
        { "not", line("if (in == 0)\n    out = 1;\nelse\n    out = 0;") },
        // Channels.
        { "convert", convertBody },
        { "swizzle", swizzleBody },
        { "combine2", combineBody },
        { "combine3", combineBody },
        { "combine4", combineBody },
        { "creatematrix", createMatrixBody },
        { "extract", extractBody },
        { "separate2", separateBody },
        { "separate3", separateBody },
        { "separate4", separateBody },
        // A blur needs neighbouring samples, which a single shading point lacks.
        { "blur", line("out = in;") },
        { "heighttonormal",
          [](const BodyContext& c) -> Body {
              if (c.has("texcoord"))
                  return std::string("out = mx_heighttonormal(in * scale, texcoord);");
              return std::string(
                  "vector n = normalize(vector(-Dx(in) * scale, -Dy(in) * scale, 1.0));\nout = n * 0.5 + 0.5;");
          } },
        // Physically based helpers.
        { "roughness_anisotropy", line("out = mx_roughness_anisotropy(roughness, anisotropy);") },
        { "roughness_dual",
          line("out = vector2(clamp(roughness.x * roughness.x, 0.00001, 1.0), "
               "clamp(roughness.y * roughness.y, 0.00001, 1.0));") },
        { "glossiness_anisotropy",
          line("out = mx_roughness_anisotropy(1.0 - glossiness, anisotropy);") },
        { "blackbody", line("out = mx_blackbody(temperature);") },
        { "artistic_ior", artisticIorBody },
        { "chiang_hair_roughness",
          line("vector2 lobes = mx_hair_roughness(longitudinal, azimuthal);\n"
               "roughness_R = lobes;\n"
               "roughness_TT = vector2(lobes.x * scale_TT * scale_TT, lobes.y);\n"
               "roughness_TRT = vector2(lobes.x * scale_TRT * scale_TRT, lobes.y);") },
        { "chiang_hair_absorption_from_color",
          [](const BodyContext&) -> Body {
              return "absorption = mx_hair_absorption_from_color(" + rozo::OslParameterName("color") +
                     ", azimuthal_roughness);";
          } },
        { "deon_hair_absorption_from_melanin",
          line("absorption = mx_hair_absorption_from_melanin(melanin_concentration, melanin_redness, "
               "eumelanin_color, pheomelanin_color);") },
    };
    return entries;
}

} // namespace

std::optional<std::string> shaderBody(const BodyContext& context)
{
    const auto entry = table().find(context.definition().category);
    if (entry == table().end())
    {
        if (const rozo::ColorSpace* source = rozo::colorSpaceOfTransform(context.definition().category))
            return colorTransformBody(context, *source);
        return std::nullopt;
    }
    return entry->second(context);
}

std::string fallbackBody(const NodeDefinition& definition)
{
    // Like an operator a renderer does not support: pass "in", "in1" or "bg" through
    // when its type is the output's, else keep the outputs' defaults.
    const std::string note = "// No body for category " + definition.category;
    if (definition.outputs.size() == 1)
    {
        for (const char* name : { "in", "in1", "bg" })
        {
            for (const PortDefinition& input : definition.inputs)
            {
                if (input.name == name && input.type == definition.outputs[0].type)
                    return note + ": " + name + " passes through.\n" + definition.outputs[0].name +
                           " = " + name + ";";
            }
        }
    }
    return note + ": outputs keep their defaults.";
}

std::vector<std::string> bodyCategories()
{
    std::vector<std::string> names;
    for (const auto& entry : table())
        names.push_back(entry.first);
    return names;
}

} // namespace oslgen
