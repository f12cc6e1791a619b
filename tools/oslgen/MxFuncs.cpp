#include "MxFuncs.h"

#include "OslTypes.h"

#include <sstream>
#include <utility>

namespace oslgen
{

const std::vector<std::string>& genericHelperTypes()
{
    static const std::vector<std::string> types = { "float", "color3", "vector3",
                                                    "vector2", "vector4", "color4" };
    return types;
}

namespace
{

OslType typeOf(const std::string& mtlx)
{
    return *oslTypeFor(mtlx);
}

std::string replaceAll(std::string text, const std::string& from, const std::string& to)
{
    for (size_t at = text.find(from); at != std::string::npos; at = text.find(from, at + to.size()))
        text.replace(at, from.size(), to);
    return text;
}

// Emits `name` for every generic type and argument pattern. A pattern names each
// argument's kind: 'T' the overloaded type, 'F' float. `expr` gives one component from
// the arguments' components @0, @1, @2.
void emitElementwise(std::ostream& os, const std::string& name, const std::string& expr,
                     const std::vector<std::string>& patterns)
{
    static const char* argNames[] = { "a", "b", "c" };
    for (const std::string& mtlx : genericHelperTypes())
    {
        const OslType t = typeOf(mtlx);
        for (const std::string& pattern : patterns)
        {
            if (mtlx == "float" && pattern != patterns.front())
                continue; // every pattern is the same signature for float
            os << t.osl << " " << name << "(";
            for (size_t i = 0; i < pattern.size(); ++i)
                os << (i ? ", " : "") << (pattern[i] == 'T' ? t.osl : "float") << " "
                   << argNames[i];
            os << ") { return ";
            std::vector<std::string> comps;
            for (int c = 0; c < t.components; ++c)
            {
                std::string e = expr;
                for (size_t i = 0; i < pattern.size(); ++i)
                {
                    const std::string arg = argNames[i];
                    e = replaceAll(e, "@" + std::to_string(i),
                                   pattern[i] == 'T' ? component(t, arg, c) : arg);
                }
                comps.push_back(e);
            }
            os << pack(t, comps) << "; }\n";
        }
    }
    os << "\n";
}

void emitStructOperators(std::ostream& os)
{
    const std::vector<std::pair<std::string, std::string>> ops = {
        { "add", "+" }, { "sub", "-" }, { "mul", "*" }, { "div", "/" }
    };
    for (const std::string mtlx : { "vector2", "vector4", "color4" })
    {
        const OslType t = typeOf(mtlx);
        for (const auto& [name, op] : ops)
        {
            for (const std::string pattern : { "TT", "TF", "FT" })
            {
                os << t.osl << " __operator__" << name << "__("
                   << (pattern[0] == 'T' ? t.osl : "float") << " a, "
                   << (pattern[1] == 'T' ? t.osl : "float") << " b) { return ";
                std::vector<std::string> comps;
                for (int c = 0; c < t.components; ++c)
                    comps.push_back((pattern[0] == 'T' ? component(t, "a", c) : "a") + " " + op +
                                    " " + (pattern[1] == 'T' ? component(t, "b", c) : "b"));
                os << pack(t, comps) << "; }\n";
            }
        }
        std::vector<std::string> comps;
        for (int c = 0; c < t.components; ++c)
            comps.push_back("-" + component(t, "a", c));
        os << t.osl << " __operator__neg__(" << t.osl << " a) { return " << pack(t, comps)
           << "; }\n\n";
    }
}

// mx_extract(v, i): channel i; mx_swizzle_pick(v, channels, i): the channel that
// letter i of a swizzle pattern names ("0" and "1" give constants).
void emitChannelAccess(std::ostream& os)
{
    for (const std::string& mtlx : genericHelperTypes())
    {
        const OslType t = typeOf(mtlx);
        os << "float mx_extract(" << t.osl << " val, int i)\n{\n";
        if (t.components == 1)
        {
            os << "    return val;\n";
        }
        else
        {
            for (int c = 0; c < t.components - 1; ++c)
                os << "    if (i == " << c << ") return " << component(t, "val", c) << ";\n";
            os << "    return " << component(t, "val", t.components - 1) << ";\n";
        }
        os << "}\n";
        os << "float mx_swizzle_pick(" << t.osl << " val, string channels, int i)\n{\n"
           << "    string c = substr(channels, i, 1);\n"
           << "    if (c == \"0\") return 0.0;\n"
           << "    if (c == \"1\") return 1.0;\n"
           << "    return mx_extract(val, mx_channel_index(c));\n}\n";
    }
    os << "\n";
}

// Lookups that depend on the result type: texture reads and noise.
void emitTypedLookups(std::ostream& os)
{
    for (const std::string& mtlx : genericHelperTypes())
    {
        const OslType t = typeOf(mtlx);
        const std::string& T = t.osl;
        // A color read with alpha gives every type its channels.
        std::vector<std::string> channels;
        for (int c = 0; c < t.components; ++c)
            channels.push_back(c < 3 ? "rgb[" + std::to_string(c) + "]" : "alpha");
        os << T << " mx_texture_channels(color rgb, float alpha, " << T
           << " like) { return " << pack(t, channels) << "; }\n";

        os << T << " mx_image(string file, string layername, " << T
           << " dflt, vector2 uv, string umode, string vmode, string filter)\n{\n"
           << "    if (mx_address_outside(uv.x, umode) || mx_address_outside(uv.y, vmode))\n"
           << "        return dflt;\n"
           << "    int exists = 0;\n"
           << "    gettextureinfo(file, \"exists\", exists);\n"
           << "    if (!exists)\n        return dflt;\n"
           << "    float s = mx_address(uv.x, umode);\n"
           << "    float t = mx_address(uv.y, vmode);\n"
           << "    float alpha = 1.0;\n"
           << "    color rgb = texture(file, s, 1.0 - t, \"alpha\", alpha, \"subimage\", layername, "
              "\"interp\", mx_interp(filter));\n"
           << "    return mx_texture_channels(rgb, alpha, dflt);\n}\n";

        os << T << " mx_triplanar(string filex, string filey, string filez, string layerx, "
           << "string layery, string layerz, " << T << " dflt, vector position, vector nrm, "
           << "float blend, string filter)\n{\n"
           << "    " << T << " x = mx_image(filex, layerx, dflt, vector2(position[2], position[1]), "
                             "\"periodic\", \"periodic\", filter);\n"
           << "    " << T << " y = mx_image(filey, layery, dflt, vector2(position[0], position[2]), "
                             "\"periodic\", \"periodic\", filter);\n"
           << "    " << T << " z = mx_image(filez, layerz, dflt, vector2(position[0], position[1]), "
                             "\"periodic\", \"periodic\", filter);\n"
           << "    float sharpness = 1.0 + 7.0 * (1.0 - clamp(blend, 0.0, 1.0));\n"
           << "    float wx = pow(abs(nrm[0]), sharpness);\n"
           << "    float wy = pow(abs(nrm[1]), sharpness);\n"
           << "    float wz = pow(abs(nrm[2]), sharpness);\n"
           << "    float total = wx + wy + wz;\n"
           << "    if (total <= 0.0)\n        return z;\n"
           << "    return (x * wx + y * wy + z * wz) / total;\n}\n";

        // Signed Perlin noise with one channel per component; the fourth channel is a
        // second, shifted lookup.
        for (const std::string arg : { "vector2 st", "vector p" })
        {
            const bool flat = arg[6] == '2';
            const std::string at = flat ? "st.x, st.y" : "point(p[0], p[1], p[2])";
            const std::string shifted =
                flat ? "st.x + 19.37, st.y + 47.13" : "point(p[0] + 19.37, p[1] + 47.13, p[2] + 5.71)";
            os << T << " mx_noise_" << mtlx << "(" << arg << ")\n{\n";
            if (t.components == 1)
            {
                os << "    float n = noise(\"perlin\", " << at << ");\n    return n;\n}\n";
                continue;
            }
            os << "    vector n = noise(\"perlin\", " << at << ");\n"
               << "    float w = noise(\"perlin\", " << shifted << ");\n";
            std::vector<std::string> comps;
            for (int c = 0; c < t.components; ++c)
                comps.push_back(c < 3 ? "n[" + std::to_string(c) + "]" : "w");
            os << "    return " << pack(t, comps) << ";\n}\n";
        }
        // The 3D and the 2D fractal share their body.
        for (const auto& [positionType, position] : { std::pair<const char*, const char*>{ "vector", "p" },
                                                      std::pair<const char*, const char*>{ "vector2", "st" } })
        {
            os << T << " mx_fractal_" << mtlx << "(" << positionType << " " << position
               << ", int octaves, float lacunarity, float diminish)\n{\n"
               << "    " << T << " sum = " << pack(t, std::vector<std::string>(t.components, "0.0")) << ";\n"
               << "    float amplitude = 1.0;\n"
               << "    " << positionType << " q = " << position << ";\n"
               << "    for (int i = 0; i < octaves; i += 1) {\n"
               << "        sum = sum + mx_noise_" << mtlx << "(q) * amplitude;\n"
               << "        amplitude *= diminish;\n"
               << "        q = q * lacunarity;\n"
               << "    }\n"
               << "    return sum;\n}\n";
        }
        os << "\n";
    }
}

const char* PREAMBLE = R"(// Shared types and helpers of the prepared MaterialX shaders.
//
// vector2, vector4 and color4 are structs; matrix33 values live in the upper-left
// corner of an OSL matrix whose last row and column are those of the identity.
// Array inputs are fixed-length arrays (unused elements are zero); arrays of the
// struct types cannot be shader parameters.

struct vector2 { float x; float y; };
struct vector4 { float x; float y; float z; float w; };
struct color4 { color rgb; float a; };

)";

const char* HAND_WRITTEN = R"(// Texture addressing: "constant" gives the default outside [0, 1].
int mx_address_outside(float x, string mode)
{
    return mode == "constant" && (x < 0.0 || x > 1.0);
}
float mx_address(float x, string mode)
{
    if (mode == "clamp")
        return clamp(x, 0.0, 1.0);
    if (mode == "mirror") {
        float m = x - 2.0 * floor(x / 2.0);
        return m > 1.0 ? 2.0 - m : m;
    }
    if (mode == "periodic")
        return x - floor(x);
    return x;
}
string mx_interp(string filter)
{
    if (filter == "closest")
        return "closest";
    if (filter == "cubic")
        return "smartcubic";
    return "linear";
}

int mx_channel_index(string c)
{
    if (c == "g" || c == "y")
        return 1;
    if (c == "b" || c == "z")
        return 2;
    if (c == "a" || c == "w")
        return 3;
    return 0;
}

// Vector helpers for the struct types, with the same names for vector.
float mx_dot(vector a, vector b) { return dot(a, b); }
float mx_dot(vector2 a, vector2 b) { return a.x * b.x + a.y * b.y; }
float mx_dot(vector4 a, vector4 b) { return a.x * b.x + a.y * b.y + a.z * b.z + a.w * b.w; }
float mx_magnitude(vector a) { return length(a); }
float mx_magnitude(vector2 a) { return sqrt(mx_dot(a, a)); }
float mx_magnitude(vector4 a) { return sqrt(mx_dot(a, a)); }
vector mx_normalize(vector a) { return normalize(a); }
vector2 mx_normalize(vector2 a)
{
    float m = mx_magnitude(a);
    if (m > 0.0)
        return a / m;
    return a;
}
vector4 mx_normalize(vector4 a)
{
    float m = mx_magnitude(a);
    if (m > 0.0)
        return a / m;
    return a;
}
float mx_distance(vector a, vector b) { return length(a - b); }
float mx_distance(vector2 a, vector2 b) { return mx_magnitude(a - b); }
float mx_distance(vector4 a, vector4 b) { return mx_magnitude(a - b); }

// Matrices. A matrix33 keeps the identity's last row and column.
matrix mx_m33(matrix m)
{
    return matrix(m[0][0], m[0][1], m[0][2], 0.0,
                  m[1][0], m[1][1], m[1][2], 0.0,
                  m[2][0], m[2][1], m[2][2], 0.0,
                  0.0, 0.0, 0.0, 1.0);
}
matrix mx_add(matrix a, matrix b)
{
    matrix m = a;
    for (int r = 0; r < 4; r += 1)
        for (int c = 0; c < 4; c += 1)
            m[r][c] = a[r][c] + b[r][c];
    return m;
}
matrix mx_add(matrix a, float b)
{
    matrix m = a;
    for (int r = 0; r < 4; r += 1)
        for (int c = 0; c < 4; c += 1)
            m[r][c] = a[r][c] + b;
    return m;
}
matrix mx_subtract(matrix a, matrix b) { return mx_add(a, b * -1.0); }
matrix mx_subtract(matrix a, float b) { return mx_add(a, -b); }
// Row vectors times matrices, as MaterialX multiplies them.
vector4 mx_row_times(vector4 val, matrix m)
{
    return vector4(val.x * m[0][0] + val.y * m[1][0] + val.z * m[2][0] + val.w * m[3][0],
                   val.x * m[0][1] + val.y * m[1][1] + val.z * m[2][1] + val.w * m[3][1],
                   val.x * m[0][2] + val.y * m[1][2] + val.z * m[2][2] + val.w * m[3][2],
                   val.x * m[0][3] + val.y * m[1][3] + val.z * m[2][3] + val.w * m[3][3]);
}

// Points and vectors between named spaces; an empty or equal space is no change.
vector mx_transform_point(vector val, string from, string to)
{
    if (from == "" || to == "" || from == to)
        return val;
    point p = val;
    point q = transform(from, to, p);
    return q;
}
vector mx_transform_vector(vector val, string from, string to)
{
    if (from == "" || to == "" || from == to)
        return val;
    vector q = transform(from, to, val);
    return q;
}
vector mx_transform_normal(vector val, string from, string to)
{
    if (from == "" || to == "" || from == to)
        return val;
    normal n = val;
    normal q = transform(from, to, n);
    return q;
}

vector2 mx_rotate2d(vector2 val, float angle)
{
    float a = radians(angle);
    float s = sin(a);
    float c = cos(a);
    return vector2(c * val.x - s * val.y, s * val.x + c * val.y);
}
vector mx_rotate3d(vector val, float angle, vector axis)
{
    vector k = normalize(axis);
    float a = radians(angle);
    return val * cos(a) + cross(k, val) * sin(a) + k * dot(k, val) * (1.0 - cos(a));
}

// Colour.
float mx_luminance(color c, color coeffs)
{
    return c[0] * coeffs[0] + c[1] * coeffs[1] + c[2] * coeffs[2];
}
color mx_rgbtohsv(color c) { return transformc("rgb", "hsv", c); }
color mx_hsvtorgb(color c) { return transformc("hsv", "rgb", c); }
color mx_hsvadjust(color c, vector amount)
{
    color hsv = mx_rgbtohsv(c);
    float h = hsv[0] + amount[0];
    h = h - floor(h);
    return mx_hsvtorgb(color(h, clamp(hsv[1] * amount[1], 0.0, 1.0), hsv[2] * amount[2]));
}
color mx_saturate(color c, float amount, color coeffs)
{
    return mix(color(mx_luminance(c, coeffs)), c, amount);
}
color mx_colorcorrect(color c, float hue, float saturation, float gamma, float lift,
                      float gain, float contrast, float contrastpivot, float exposure)
{
    color r = mx_hsvadjust(c, vector(hue, 1.0, 1.0));
    r = mx_saturate(r, saturation, color(0.2722287, 0.6740818, 0.0536895));
    float g = gamma > 0.0 ? 1.0 / gamma : 1.0;
    r = color(sign(r[0]) * pow(abs(r[0]), g), sign(r[1]) * pow(abs(r[1]), g),
              sign(r[2]) * pow(abs(r[2]), g));
    r = r * (1.0 - lift) + lift;
    r = r * gain;
    r = (r - contrastpivot) * contrast + contrastpivot;
    return r * pow(2.0, exposure);
}
color mx_blackbody(float temperature)
{
    color c = blackbody(max(temperature, 0.0));
    float m = max(c[0], max(c[1], c[2]));
    return m > 0.0 ? c / m : color(0.0);
}
// Complex index of refraction from reflectivity and edge colour, one channel.
float mx_ior_n(float r, float g)
{
    float rc = clamp(r, 0.0, 0.99);
    float sr = sqrt(rc);
    return g * (1.0 - rc) / (1.0 + rc) + (1.0 - g) * (1.0 + sr) / (1.0 - sr);
}
float mx_ior_k(float r, float n)
{
    float rc = clamp(r, 0.0, 0.99);
    float k2 = (rc * (n + 1.0) * (n + 1.0) - (n - 1.0) * (n - 1.0)) / (1.0 - rc);
    return sqrt(max(k2, 0.0));
}

// Procedural patterns.
float mx_random(float x, int seed)
{
    float h = hashnoise(x, float(seed));
    return h;
}
vector mx_worley_distances(vector p, float jitter, int flat)
{
    float d1 = 1.0e6;
    float d2 = 1.0e6;
    float d3 = 1.0e6;
    vector cell = vector(floor(p[0]), floor(p[1]), floor(p[2]));
    int zrange = flat ? 0 : 1;
    for (int i = -1; i <= 1; i += 1) {
        for (int j = -1; j <= 1; j += 1) {
            for (int k = -zrange; k <= zrange; k += 1) {
                point c = point(cell[0] + i, cell[1] + j, cell[2] + k);
                vector r = cellnoise(c);
                vector f = vector(c[0] + 0.5 + jitter * (r[0] - 0.5),
                                  c[1] + 0.5 + jitter * (r[1] - 0.5),
                                  flat ? 0.0 : c[2] + 0.5 + jitter * (r[2] - 0.5));
                vector q = flat ? vector(p[0], p[1], 0.0) : p;
                float d = length(f - q);
                if (d < d1) {
                    d3 = d2;
                    d2 = d1;
                    d1 = d;
                } else if (d < d2) {
                    d3 = d2;
                    d2 = d;
                } else if (d < d3) {
                    d3 = d;
                }
            }
        }
    }
    return vector(d1, d2, d3);
}
float mx_segment_distance(vector2 p, vector2 a, vector2 b)
{
    vector2 ab = b - a;
    float len2 = mx_dot(ab, ab);
    float t = len2 > 0.0 ? clamp(mx_dot(p - a, ab) / len2, 0.0, 1.0) : 0.0;
    return mx_magnitude(p - (a + ab * t));
}
float mx_circle(vector2 p, vector2 center, float radius)
{
    return mx_magnitude(p - center) <= radius ? 1.0 : 0.0;
}
float mx_cloverleaf(vector2 p, vector2 center, float radius)
{
    float h = radius * 0.5;
    float r = max(max(mx_circle(p, center + vector2(h, 0.0), h), mx_circle(p, center - vector2(h, 0.0), h)),
                  max(mx_circle(p, center + vector2(0.0, h), h), mx_circle(p, center - vector2(0.0, h), h)));
    return r;
}
float mx_hexagon(vector2 p, vector2 center, float radius)
{
    vector2 q = p - center;
    float x = abs(q.x);
    float y = abs(q.y);
    // A flat-topped regular hexagon with corner distance `radius`.
    float inner = radius * 0.8660254;
    return (y <= inner && x * 0.8660254 + y * 0.5 <= inner) ? 1.0 : 0.0;
}
// Tile-local coordinates of a tiled pattern; odd rows shift by half a tile when staggered.
vector2 mx_tile(vector2 texcoord, vector2 uvtiling, vector2 uvoffset, int staggered)
{
    vector2 st = texcoord * uvtiling - uvoffset;
    if (staggered && int(floor(st.y)) % 2 != 0)
        st.x = st.x + 0.5;
    return vector2(st.x - floor(st.x), st.y - floor(st.y));
}
vector2 mx_place2d(vector2 texcoord, vector2 pivot, vector2 scale, float rotation,
                   vector2 offset, int operationorder)
{
    vector2 centered = texcoord - pivot;
    if (operationorder == 0)
        return mx_rotate2d(centered / scale, rotation) - offset + pivot;
    return mx_rotate2d(centered - offset, rotation) / scale + pivot;
}
vector2 mx_roughness_anisotropy(float roughness, float anisotropy)
{
    float r = clamp(roughness * roughness, 0.00001, 1.0);
    if (anisotropy <= 0.0)
        return vector2(r, r);
    float aspect = sqrt(1.0 - clamp(anisotropy, 0.0, 0.98));
    return vector2(min(r / aspect, 1.0), r * aspect);
}

// Compositing of colours with alpha.
color4 mx_over(color4 fg, color4 bg) { return fg + bg * (1.0 - fg.a); }
color4 mx_disjointover(color4 fg, color4 bg)
{
    if (fg.a + bg.a <= 1.0 || bg.a <= 0.0)
        return fg + bg;
    return fg + bg * ((1.0 - fg.a) / bg.a);
}
color4 mx_premult(color4 c) { return color4(c.rgb * c.a, c.a); }
color4 mx_unpremult(color4 c)
{
    if (c.a == 0.0)
        return c;
    return color4(c.rgb / c.a, c.a);
}

// Worley noise, solid style: the random value of the cell whose feature point is
// nearest (a hash, so it does not follow the feature point's own jitter).
vector mx_worley_cell(vector p, float jitter, int flat)
{
    float nearest = 1.0e6;
    vector value = vector(0.0, 0.0, 0.0);
    vector cell = vector(floor(p[0]), floor(p[1]), floor(p[2]));
    vector q = flat ? vector(p[0], p[1], 0.0) : p;
    int zrange = flat ? 0 : 1;
    for (int i = -1; i <= 1; i += 1) {
        for (int j = -1; j <= 1; j += 1) {
            for (int k = -zrange; k <= zrange; k += 1) {
                point c = point(cell[0] + i, cell[1] + j, cell[2] + k);
                vector r = cellnoise(c);
                vector f = vector(c[0] + 0.5 + jitter * (r[0] - 0.5),
                                  c[1] + 0.5 + jitter * (r[1] - 0.5),
                                  flat ? 0.0 : c[2] + 0.5 + jitter * (r[2] - 0.5));
                float d = length(f - q);
                if (d < nearest) {
                    nearest = d;
                    vector h = hashnoise(c);
                    value = h;
                }
            }
        }
    }
    return value;
}

// A tangent-space normal encoded into 0..1 from the slope of `height` along the
// texture coordinates (screen derivatives solved for d/ds and d/dt). The slope is
// divided by 16 so a height map gives the normals a Sobel filter of it would.
vector mx_heighttonormal(float height, vector2 st)
{
    float dhdx = Dx(height) / 16.0;
    float dhdy = Dy(height) / 16.0;
    float dsdx = Dx(st.x);
    float dsdy = Dy(st.x);
    float dtdx = Dx(st.y);
    float dtdy = Dy(st.y);
    float det = dsdx * dtdy - dsdy * dtdx;
    vector n = vector(0.0, 0.0, 1.0);
    if (abs(det) > 1.0e-12) {
        float dhds = (dhdx * dtdy - dhdy * dtdx) / det;
        float dhdt = (dsdx * dhdy - dsdy * dhdx) / det;
        n = normalize(vector(-dhds, -dhdt, 1.0));
    }
    return n * 0.5 + 0.5;
}

// Flakes: one per cell of edge `size`, a disc (flat) or ball of radius half a cell
// around the cell's centre, present when the cell's random value is below `coverage`.
void mx_flake(vector p, float size, float roughness, float coverage, vector nrm, vector tng,
              vector btg, int flat, output int id, output float rand, output float presence,
              output vector flakenormal)
{
    vector q = p / max(size, 1.0e-6);
    if (flat)
        q = vector(q[0], q[1], 0.0);
    point cell = point(floor(q[0]), floor(q[1]), floor(q[2]));
    vector r = cellnoise(cell);
    vector h = hashnoise(cell);
    vector centre = vector(cell[0] + 0.5, cell[1] + 0.5, flat ? 0.0 : cell[2] + 0.5);
    float d = length(q - centre);
    id = 0;
    rand = 0.0;
    presence = 0.0;
    flakenormal = nrm;
    if (r[0] < coverage && d < 0.5) {
        id = 1 + int(h[0] * 16777215.0);
        rand = h[1];
        presence = 1.0 - 2.0 * d;
        float a = 2.0 * M_PI * h[2];
        // The tangent of a GGX-distributed tilt.
        float tilt = roughness * roughness * sqrt(r[1] / max(1.0 - r[1], 1.0e-4));
        flakenormal = normalize(nrm + (tng * cos(a) + btg * sin(a)) * tilt);
    }
}

// Where a point lies along a ramp: 0 left to right, 1 the angle around the centre,
// 2 the distance from the centre (1 at the corners), 3 a box around the centre.
float mx_ramp_coordinate(vector2 st, int type)
{
    float dx = st.x - 0.5;
    float dy = st.y - 0.5;
    if (type == 1)
        return atan2(dx, dy) / (2.0 * M_PI) + 0.5;
    if (type == 2)
        return sqrt(dx * dx + dy * dy) * 1.41421356;
    if (type == 3)
        return 2.0 * max(abs(dx), abs(dy));
    return st.x;
}
// One control point of a ramp: past interval1 the colour goes from color1 to color2
// (0 linear, 1 smooth, 2 step at interval2); before it, and for control points past
// the number in use, the previous colour stays.
color4 mx_ramp_gradient(float x, float interval1, float interval2, color4 color1, color4 color2,
                        int interpolation, color4 previous, int intervalnum, int numintervals)
{
    if (intervalnum >= numintervals || x <= interval1)
        return previous;
    if (interpolation == 2) {
        if (x < interval2)
            return color1;
        return color2;
    }
    float t = 1.0;
    if (interpolation == 1)
        t = smoothstep(interval1, interval2, x);
    else if (interval2 > interval1)
        t = clamp((x - interval1) / (interval2 - interval1), 0.0, 1.0);
    return mx_mix(color1, color2, t);
}

// Hex tiling. The plane is cut into triangles whose corners are the centres of
// hexagonal tiles about one unit across; each tile shows the texture turned, scaled
// and shifted at random, and a point blends the tiles at its triangle's corners.
float mx_hextile_angle(vector2 corner, float rotation, vector2 range)
{
    vector r = cellnoise(point(corner.x, corner.y, 0.0));
    return mix(range.x, range.y, r[0]) * rotation;
}
vector2 mx_hextile_uv(vector2 st, vector2 corner, float cells, float angle, float scale,
                      vector2 scalerange, float offset, vector2 offsetrange)
{
    vector r = cellnoise(point(corner.x, corner.y, 0.0));
    vector h = hashnoise(point(corner.x, corner.y, 0.0));
    vector2 centre = vector2(corner.x / cells, (corner.y + 0.57735027 * corner.x) * 0.8660254 / cells);
    float size = mix(1.0, mix(scalerange.x, scalerange.y, r[1]), scale);
    vector2 shift = vector2(mix(offsetrange.x, offsetrange.y, r[2]), mix(offsetrange.x, offsetrange.y, h[0])) * offset;
    return mx_rotate2d(st - centre, angle) / max(size, 1.0e-4) + centre + shift;
}
// Angles are in degrees; weights are the barycentric weights of the three corners.
void mx_hextile(vector2 st, float rotation, vector2 rotationrange, float scale, vector2 scalerange,
                float offset, vector2 offsetrange, output vector2 uv1, output vector2 uv2,
                output vector2 uv3, output vector angles, output vector weights)
{
    float cells = 2.0 * sqrt(3.0);
    // Skewed so that the corners lie on whole numbers.
    float sx = st.x * cells;
    float sy = (1.15470054 * st.y - 0.57735027 * st.x) * cells;
    float bx = floor(sx);
    float by = floor(sy);
    float fx = sx - bx;
    float fy = sy - by;
    float fz = 1.0 - fx - fy;
    float s = fz < 0.0 ? 1.0 : 0.0;
    float s2 = 2.0 * s - 1.0;
    weights = vector(-fz * s2, s - fy * s2, s - fx * s2);
    vector2 corner1 = vector2(bx + s, by + s);
    vector2 corner2 = vector2(bx + s, by + 1.0 - s);
    vector2 corner3 = vector2(bx + 1.0 - s, by + s);
    angles = vector(mx_hextile_angle(corner1, rotation, rotationrange),
                    mx_hextile_angle(corner2, rotation, rotationrange),
                    mx_hextile_angle(corner3, rotation, rotationrange));
    uv1 = mx_hextile_uv(st, corner1, cells, angles[0], scale, scalerange, offset, offsetrange);
    uv2 = mx_hextile_uv(st, corner2, cells, angles[1], scale, scalerange, offset, offsetrange);
    uv3 = mx_hextile_uv(st, corner3, cells, angles[2], scale, scalerange, offset, offsetrange);
}
// The corners' weights raised to contrast / falloff (a wider falloff blends more
// smoothly), each times its sample's luminance plus 0.25, summing to 1.
vector mx_hextile_blend(vector weights, vector brightness, float falloff, float contrast)
{
    float e = max(contrast, 0.01) / max(falloff, 0.01);
    vector w = vector(pow(max(weights[0], 0.0), e) * (max(brightness[0], 0.0) + 0.25),
                      pow(max(weights[1], 0.0), e) * (max(brightness[1], 0.0) + 0.25),
                      pow(max(weights[2], 0.0), e) * (max(brightness[2], 0.0) + 0.25));
    float total = w[0] + w[1] + w[2];
    if (total <= 0.0)
        return vector(1.0 / 3.0, 1.0 / 3.0, 1.0 / 3.0);
    return w / total;
}
// A normal-map texel decoded, its green flipped on request, and turned with its tile.
vector mx_hextile_normal(vector encoded, float angle, int flipg)
{
    vector n = encoded * 2.0 - 1.0;
    float y = flipg ? -n[1] : n[1];
    vector2 t = mx_rotate2d(vector2(n[0], y), -angle);
    return vector(t.x, t.y, n[2]);
}

// Hair: Chiang's mapping of longitudinal and azimuthal roughness to a lobe's
// longitudinal variance and azimuthal logistic scale.
vector2 mx_hair_roughness(float longitudinal, float azimuthal)
{
    float m = clamp(longitudinal, 0.0, 1.0);
    float n = clamp(azimuthal, 0.0, 1.0);
    float v = 0.726 * m + 0.812 * m * m + 3.7 * pow(m, 20.0);
    float s = 0.265 * n + 1.194 * n * n + 5.372 * pow(n, 22.0);
    return vector2(v * v, 0.62665707 * s);
}
// The absorption that gives a hair of this colour at this azimuthal roughness.
vector mx_hair_absorption_from_color(color c, float azimuthal)
{
    float n = clamp(azimuthal, 0.0, 1.0);
    float d = 5.969 - 0.215 * n + 2.532 * pow(n, 2.0) - 10.73 * pow(n, 3.0) + 5.574 * pow(n, 4.0) +
              0.245 * pow(n, 5.0);
    vector a = vector(log(max(c[0], 1.0e-4)), log(max(c[1], 1.0e-4)), log(max(c[2], 1.0e-4))) / d;
    return vector(a[0] * a[0], a[1] * a[1], a[2] * a[2]);
}
// d'Eon's melanin model: the concentration gives the amount of melanin, the redness
// splits it between eumelanin and pheomelanin, whose colours give their absorption.
vector mx_hair_absorption_from_melanin(float concentration, float redness, color eumelanin,
                                       color pheomelanin)
{
    float melanin = -log(max(1.0 - concentration, 1.0e-4));
    float eu = melanin * (1.0 - redness);
    float pheo = melanin * redness;
    vector a = vector(-eu * log(max(eumelanin[0], 1.0e-4)) - pheo * log(max(pheomelanin[0], 1.0e-4)),
                      -eu * log(max(eumelanin[1], 1.0e-4)) - pheo * log(max(pheomelanin[1], 1.0e-4)),
                      -eu * log(max(eumelanin[2], 1.0e-4)) - pheo * log(max(pheomelanin[2], 1.0e-4)));
    return vector(max(a[0], 0.0), max(a[1], 0.0), max(a[2], 0.0));
}

)";

} // namespace

std::string mxFuncsHeader()
{
    std::ostringstream os;
    os << PREAMBLE;
    emitStructOperators(os);
    os << "// Channel-wise helpers, one overload per data type.\n";
    emitElementwise(os, "mx_floor", "floor(@0)", { "T" });
    emitElementwise(os, "mx_ceil", "ceil(@0)", { "T" });
    emitElementwise(os, "mx_round", "floor(@0 + 0.5)", { "T" });
    emitElementwise(os, "mx_absval", "abs(@0)", { "T" });
    emitElementwise(os, "mx_sign", "sign(@0)", { "T" });
    emitElementwise(os, "mx_sin", "sin(@0)", { "T" });
    emitElementwise(os, "mx_cos", "cos(@0)", { "T" });
    emitElementwise(os, "mx_tan", "tan(@0)", { "T" });
    emitElementwise(os, "mx_asin", "asin(@0)", { "T" });
    emitElementwise(os, "mx_acos", "acos(@0)", { "T" });
    emitElementwise(os, "mx_sqrt", "sqrt(@0)", { "T" });
    emitElementwise(os, "mx_fract", "(@0 - floor(@0))", { "T" });
    emitElementwise(os, "mx_ln", "log(@0)", { "T" });
    emitElementwise(os, "mx_exp", "exp(@0)", { "T" });
    emitElementwise(os, "mx_atan2", "atan2(@0, @1)", { "TT" });
    emitElementwise(os, "mx_modulo", "(@0 - @1 * floor(@0 / @1))", { "TT", "TF" });
    emitElementwise(os, "mx_power", "pow(@0, @1)", { "TT", "TF" });
    emitElementwise(os, "mx_safepower", "sign(@0) * pow(abs(@0), @1)", { "TT", "TF" });
    emitElementwise(os, "mx_min", "min(@0, @1)", { "TT", "TF" });
    emitElementwise(os, "mx_max", "max(@0, @1)", { "TT", "TF" });
    emitElementwise(os, "mx_clamp", "clamp(@0, @1, @2)", { "TTT", "TFF" });
    emitElementwise(os, "mx_smoothstep", "smoothstep(@1, @2, @0)", { "TTT", "TFF" });
    // mx_mix(a, b, t) is a at t = 0 and b at t = 1.
    emitElementwise(os, "mx_mix", "mix(@0, @1, @2)", { "TTT", "TTF" });
    // Range: remap into [0, 1], gamma, then into the output range.
    emitElementwise(os, "mx_range_unit", "((@0 - @1) / (@2 - @1))", { "TTT", "TFF" });
    emitElementwise(os, "mx_gamma", "sign(@0) * pow(abs(@0), (@1 > 0.0 ? 1.0 / @1 : 1.0))",
                    { "TT", "TF" });
    // Blend modes, fg first.
    emitElementwise(os, "mx_burn", "(abs(@0) > 0.0 ? 1.0 - (1.0 - @1) / @0 : 0.0)", { "TT" });
    emitElementwise(os, "mx_dodge", "(abs(1.0 - @0) > 0.0 ? @1 / (1.0 - @0) : 1.0)", { "TT" });
    emitElementwise(os, "mx_screen", "(1.0 - (1.0 - @0) * (1.0 - @1))", { "TT" });
    emitElementwise(os, "mx_overlay",
                    "(@1 >= 0.5 ? 1.0 - 2.0 * (1.0 - @0) * (1.0 - @1) : 2.0 * @0 * @1)", { "TT" });
    emitElementwise(os, "mx_difference", "abs(@1 - @0)", { "TT" });
    os << HAND_WRITTEN;
    emitChannelAccess(os);
    emitTypedLookups(os);
    return os.str();
}

} // namespace oslgen
