#include "SwatchRenderer.h"

#include "BitmapTex.h"
#include "CheckerMap.h"
#include "ColorTransform.h"
#include "FileResolver.h"
#include "HostCore.h"
#include "IOSLMap.h"
#include "MtlBase.h"
#include "ParamAccess.h"
#include "ParamBlock2.h"
#include "PhysicalMaterial.h"

#include <QDateTime>
#include <QFileInfo>

#include <algorithm>
#include <array>
#include <cmath>
#include <map>
#include <memory>
#include <mutex>
#include <vector>

namespace Norvane
{
namespace
{

constexpr float PI = 3.14159265f;

struct Vec3
{
    float x = 0, y = 0, z = 0;
    Vec3() = default;
    Vec3(float a, float b, float c) :
        x(a),
        y(b),
        z(c) {}
    explicit Vec3(float s) :
        x(s),
        y(s),
        z(s) {}
    Vec3 operator+(const Vec3& o) const { return { x + o.x, y + o.y, z + o.z }; }
    Vec3 operator-(const Vec3& o) const { return { x - o.x, y - o.y, z - o.z }; }
    Vec3 operator*(const Vec3& o) const { return { x * o.x, y * o.y, z * o.z }; }
    Vec3 operator*(float s) const { return { x * s, y * s, z * s }; }
};
float Dot(const Vec3& a, const Vec3& b)
{
    return a.x * b.x + a.y * b.y + a.z * b.z;
}
Vec3 Normalize(const Vec3& v)
{
    return v * (1.0f / std::sqrt(std::max(Dot(v, v), 1e-12f)));
}
Vec3 Lerp(const Vec3& a, const Vec3& b, float t)
{
    return a + (b - a) * t;
}
Vec3 Rgb(const AColor& c)
{
    return { c.r, c.g, c.b };
}
float Luminance(const Vec3& c)
{
    return 0.2126f * c.x + 0.7152f * c.y + 0.0722f * c.z;
}

float SrgbToLinear(float c)
{
    return c <= 0.04045f ? c / 12.92f : std::pow((c + 0.055f) / 1.055f, 2.4f);
}
int LinearToSrgb8(float c)
{
    // Written so that NaN (a broken value in a document) becomes black.
    c = c > 0.0f ? std::min(c, 1.0f) : 0.0f;
    const float s = c <= 0.0031308f ? c * 12.92f : 1.055f * std::pow(c, 1.0f / 2.4f) - 0.055f;
    return static_cast<int>(s * 255.0f + 0.5f);
}

// ---- textures --------------------------------------------------------------

// A texture file reduced to swatch scale. With automatic gamma colour images
// are taken as sRGB-encoded and decoded, grey ones (roughness, masks) as plain
// values; without, every value is read as it is.
struct Texture
{
    int width = 0, height = 0;
    std::vector<AColor> texels;

    AColor At(float u, float v) const
    {
        if (!std::isfinite(u) || !std::isfinite(v))
            u = v = 0;
        // Periodic, bilinear; v runs up the image.
        const float fx = (u - std::floor(u)) * static_cast<float>(width) - 0.5f;
        const float fy = (1.0f - (v - std::floor(v))) * static_cast<float>(height) - 0.5f;
        const int x0 = static_cast<int>(std::floor(fx)), y0 = static_cast<int>(std::floor(fy));
        const float tx = fx - static_cast<float>(x0), ty = fy - static_cast<float>(y0);
        auto texel = [&](int x, int y) -> const AColor& {
            x = ((x % width) + width) % width;
            y = ((y % height) + height) % height;
            return texels[static_cast<size_t>(y * width + x)];
        };
        AColor out;
        for (int k = 0; k < 4; ++k)
        {
            const float top = texel(x0, y0)[k] * (1 - tx) + texel(x0 + 1, y0)[k] * tx;
            const float bottom = texel(x0, y0 + 1)[k] * (1 - tx) + texel(x0 + 1, y0 + 1)[k] * tx;
            out[k] = top * (1 - ty) + bottom * ty;
        }
        return out;
    }
};

// Loaded textures by resolved path and modification time; swatches of one
// scene share a handful of files.
std::shared_ptr<const Texture> LoadTexture(const QString& name, bool automaticGamma)
{
    static std::mutex mutex;
    static std::map<std::pair<QString, bool>, std::pair<QDateTime, std::shared_ptr<const Texture>>> loaded;
    const QString path = FileResolver::Instance().Resolve(name);
    if (path.isEmpty())
        return nullptr;
    const QDateTime modified = QFileInfo(path).lastModified();
    std::lock_guard<std::mutex> lock(mutex);
    auto found = loaded.find({ path, automaticGamma });
    if (found != loaded.end() && found->second.first == modified)
        return found->second.second;
    QImage image(path);
    std::shared_ptr<Texture> texture;
    if (!image.isNull())
    {
        constexpr int MAX_SIDE = 512;
        if (image.width() > MAX_SIDE || image.height() > MAX_SIDE)
            image = image.scaled(MAX_SIDE, MAX_SIDE, Qt::KeepAspectRatio, Qt::SmoothTransformation);
        const bool plain = !automaticGamma || image.isGrayscale();
        image = image.convertToFormat(QImage::Format_ARGB32);
        texture = std::make_shared<Texture>();
        texture->width = image.width();
        texture->height = image.height();
        texture->texels.reserve(static_cast<size_t>(image.width() * image.height()));
        std::array<float, 256> decode;
        for (int i = 0; i < 256; ++i)
            decode[static_cast<size_t>(i)] = plain ? static_cast<float>(i) / 255.0f : SrgbToLinear(static_cast<float>(i) / 255.0f);
        for (int y = 0; y < image.height(); ++y)
        {
            const auto* line = reinterpret_cast<const QRgb*>(image.constScanLine(y));
            for (int x = 0; x < image.width(); ++x)
                texture->texels.emplace_back(decode[static_cast<size_t>(qRed(line[x]))], decode[static_cast<size_t>(qGreen(line[x]))],
                                             decode[static_cast<size_t>(qBlue(line[x]))], static_cast<float>(qAlpha(line[x])) / 255.0f);
        }
    }
    if (loaded.size() > 64)
        loaded.clear();
    loaded[{ path, automaticGamma }] = { modified, texture };
    return texture;
}

// ---- maps --------------------------------------------------------------------

// A map read once into plain values, so that a pixel costs no parameter lookups.
class Sampler
{
  public:
    virtual ~Sampler() = default;
    virtual AColor Sample(float u, float v) const = 0;
};
using SamplerPtr = std::unique_ptr<Sampler>;

class ConstantSampler : public Sampler
{
  public:
    explicit ConstantSampler(const AColor& c) :
        c_(c) {}
    AColor Sample(float, float) const override { return c_; }

  private:
    AColor c_;
};

class ImageSampler : public Sampler
{
  public:
    ImageSampler(std::shared_ptr<const Texture> t, float su, float sv, float ou, float ov) :
        texture_(std::move(t)),
        su_(su),
        sv_(sv),
        ou_(ou),
        ov_(ov) {}
    AColor Sample(float u, float v) const override { return texture_->At(u * su_ + ou_, v * sv_ + ov_); }

  private:
    std::shared_ptr<const Texture> texture_;
    float su_, sv_, ou_, ov_;
};

class MixSampler : public Sampler
{
  public:
    MixSampler(SamplerPtr fg, SamplerPtr bg, SamplerPtr amount) :
        fg_(std::move(fg)),
        bg_(std::move(bg)),
        amount_(std::move(amount)) {}
    AColor Sample(float u, float v) const override
    {
        const AColor f = fg_->Sample(u, v), b = bg_->Sample(u, v);
        const float t = amount_->Sample(u, v).r;
        return AColor(b.r + (f.r - b.r) * t, b.g + (f.g - b.g) * t, b.b + (f.b - b.b) * t, b.a + (f.a - b.a) * t);
    }

  private:
    SamplerPtr fg_, bg_, amount_;
};

// A colour-management shader: its input taken from a named space to the working space.
class TransformSampler : public Sampler
{
  public:
    TransformSampler(SamplerPtr in, std::string space) :
        in_(std::move(in)),
        space_(std::move(space)) {}
    AColor Sample(float u, float v) const override
    {
        const AColor c = in_->Sample(u, v);
        const std::array<float, 3> linear = ToLinearRec709(space_, { c.r, c.g, c.b });
        return AColor(linear[0], linear[1], linear[2], c.a);
    }

  private:
    SamplerPtr in_;
    std::string space_;
};

// Whether floor(x) is odd, for any x: tiling can push coordinates past int.
bool Parity(float x)
{
    const float f = std::floor(x);
    return std::isfinite(f) && std::fmod(f, 2.0f) != 0.0f;
}

class CheckerSampler : public Sampler
{
  public:
    CheckerSampler(SamplerPtr a, SamplerPtr b, float su, float sv, float ou, float ov) :
        a_(std::move(a)),
        b_(std::move(b)),
        su_(su),
        sv_(sv),
        ou_(ou),
        ov_(ov) {}
    AColor Sample(float u, float v) const override
    {
        u = u * su_ + ou_;
        v = v * sv_ + ov_;
        return (Parity(u * 2.0f) != Parity(v * 2.0f) ? b_ : a_)->Sample(u, v);
    }

  private:
    SamplerPtr a_, b_;
    float su_, sv_, ou_, ov_;
};

AColor ValueColor(const QVariant& value)
{
    if (value.type() == QVariant::List)
    {
        const QVariantList l = value.toList();
        AColor c(0, 0, 0, 1);
        for (int k = 0; k < std::min(4, static_cast<int>(l.size())); ++k)
            c[k] = static_cast<float>(l[k].toDouble());
        if (l.size() == 1 || l.size() == 2)
            c.g = c.b = c.r;
        return c;
    }
    const float f = static_cast<float>(value.toDouble());
    return AColor(f, f, f, 1.0f);
}

bool IsNumeric(const QVariant& v)
{
    return v.type() == QVariant::Double || v.type() == QVariant::Int || v.type() == QVariant::Bool ||
           v.type() == QVariant::List;
}

constexpr int MAX_DEPTH = 12; // a map tree deeper than this (or a loop) ends in constants

SamplerPtr SamplerFor(Texmap* map, int depth);

// The value of parameter `name` of `owner` (block `block`, -1 any), or the map on its slot.
SamplerPtr InputSampler(MtlBase* owner, const QString& name, int block, int depth)
{
    const QVariant slot = GetParam(owner, name + QStringLiteral("_map"), 0, 0, block);
    if (auto* sub = static_cast<Texmap*>(ToTarget(slot)); sub && slot.userType() == QMetaType::VoidStar)
        if (SamplerPtr s = SamplerFor(sub, depth + 1))
            return s;
    const QVariant value = GetParam(owner, name, Host().GetTime(), 0, block);
    return std::make_unique<ConstantSampler>(IsNumeric(value) ? ValueColor(value) : AColor(0, 0, 0, 1));
}

struct Tiling
{
    float su = 1, sv = 1, ou = 0, ov = 0;
};

Tiling UVTiling(UVGen* gen)
{
    Tiling t;
    if (auto* uv = dynamic_cast<StdUVGen*>(gen))
    {
        const TimeValue now = Host().GetTime();
        t = { uv->GetUScl(now), uv->GetVScl(now), uv->GetUOffs(now), uv->GetVOffs(now) };
    }
    return t;
}

SamplerPtr OslSampler(Texmap* map, const QString& shader, int depth)
{
    constexpr int CODE_BLOCK = 0;
    constexpr int INPUT_COUNT = 1;
    const bool tiled = shader.startsWith(QStringLiteral("mx_tiledimage_"));
    if (tiled || shader.startsWith(QStringLiteral("mx_image_")))
    {
        const QString file = GetParam(map, QStringLiteral("file"), 0, 0, INPUT_COUNT).toString();
        // A map that names its file's colour space reads the file as it is,
        // as its shader does; a map that leaves it to the host decodes as a Bitmap.
        const QVariant space = GetParam(map, QStringLiteral("ColorSpace"), 0, 0, CODE_BLOCK);
        const bool automaticGamma = !space.isValid() || space.toString() == QStringLiteral("auto");
        if (std::shared_ptr<const Texture> texture = LoadTexture(file, automaticGamma))
        {
            Tiling t;
            if (tiled)
            {
                const QVariantList tiling = GetParam(map, QStringLiteral("uvtiling"), 0, 0, INPUT_COUNT).toList();
                const QVariantList offset = GetParam(map, QStringLiteral("uvoffset"), 0, 0, INPUT_COUNT).toList();
                if (tiling.size() == 2)
                    t.su = tiling[0].toFloat(), t.sv = tiling[1].toFloat();
                if (offset.size() == 2)
                    t.ou = -offset[0].toFloat() * t.su, t.ov = -offset[1].toFloat() * t.sv;
            }
            return std::make_unique<ImageSampler>(texture, t.su, t.sv, t.ou, t.ov);
        }
        // An unreadable file gives the node's default, as the shader would.
        return InputSampler(map, QStringLiteral("default1"), INPUT_COUNT, depth);
    }
    const std::string source = TransformSourceSpace(shader.toStdString());
    if (!source.empty())
        return std::make_unique<TransformSampler>(InputSampler(map, QStringLiteral("in"), INPUT_COUNT, depth), source);
    if (shader.startsWith(QStringLiteral("mx_constant_")))
        return InputSampler(map, QStringLiteral("value"), INPUT_COUNT, depth);
    if (shader.startsWith(QStringLiteral("mx_mix_")))
        return std::make_unique<MixSampler>(InputSampler(map, QStringLiteral("fg"), INPUT_COUNT, depth),
                                            InputSampler(map, QStringLiteral("bg"), INPUT_COUNT, depth),
                                            InputSampler(map, QStringLiteral("mix1"), INPUT_COUNT, depth));
    return nullptr;
}

SamplerPtr SamplerFor(Texmap* map, int depth)
{
    if (!map || depth > MAX_DEPTH)
        return nullptr;
    if (map->ClassID() == CHECKER_MAP_CLASS_ID)
    {
        const Tiling t = UVTiling(map->GetTheUVGen());
        return std::make_unique<CheckerSampler>(InputSampler(map, QStringLiteral("color1"), 0, depth),
                                                InputSampler(map, QStringLiteral("color2"), 0, depth), t.su, t.sv, t.ou, t.ov);
    }
    if (auto* bitmap = dynamic_cast<BitmapTex*>(map))
    {
        if (std::shared_ptr<const Texture> texture = LoadTexture(QString::fromWCharArray(bitmap->GetMapName()), true))
        {
            const Tiling t = UVTiling(bitmap->GetUVGen());
            return std::make_unique<ImageSampler>(texture, t.su, t.sv, t.ou, t.ov);
        }
        return std::make_unique<ConstantSampler>(AColor(0, 0, 0, 1));
    }
    if (auto* osl = static_cast<NorvaneSDK::OSL::IOSLMapInterface*>(map->GetInterface(NorvaneSDK::OSL::IOSLMAP_INTERFACE_ID)))
        if (SamplerPtr s = OslSampler(map, osl->GetShaderName().ToQString(), depth))
            return s;
    // Any other map: its first value parameter, from the last block (an OSL
    // Map's inputs) back to the first.
    for (int b = map->NumParamBlocks() - 1; b >= 0; --b)
        for (const QString& name : ParamNames(map, b))
        {
            if (name.endsWith(QStringLiteral("_map")))
                continue;
            if (IsNumeric(GetParam(map, name, Host().GetTime(), 0, b)))
                return InputSampler(map, name, b, depth);
        }
    return std::make_unique<ConstantSampler>(AColor(0, 0, 0, 1));
}

// ---- materials -----------------------------------------------------------------

// One shading input: a constant, or a map sampled per pixel.
class Channel
{
  public:
    Channel() = default;
    explicit Channel(const AColor& c) :
        constant_(c) {}
    Channel(MtlBase* m, const wchar_t* name, const wchar_t* mapName)
    {
        IParamBlock2* pb = m->GetParamBlock(0);
        const ParamLocation at = FindParam(m, QString::fromWCharArray(name), 0);
        if (at)
        {
            const QVariant value = GetParam(m, QString::fromWCharArray(name), Host().GetTime(), 0, 0);
            constant_ = ValueColor(value);
        }
        const ParamLocation slot = FindParam(m, QString::fromWCharArray(mapName), 0);
        if (slot && pb)
            map_ = SamplerFor(slot.block->GetTexmap(slot.id), 0);
    }
    AColor At(float u, float v) const { return map_ ? map_->Sample(u, v) : constant_; }
    bool Varies() const { return map_ != nullptr; }

  private:
    AColor constant_{ 0, 0, 0, 1 };
    SamplerPtr map_;
};

struct Surface
{
    float baseWeight = 1, specWeight = 1, roughness = 0.3f, metalness = 0, ior = 1.5f;
    float transmission = 0, emission = 0, coat = 0, coatRoughness = 0, coatIor = 1.5f, opacity = 1;
    Vec3 base{ 0.5f }, reflColor{ 1 }, transColor{ 1 }, emitColor{ 1 }, coatColor{ 1 };
    bool thin = false;
};

// Channels of a Physical Material, evaluated at a texture coordinate.
class PhysicalInputs
{
  public:
    explicit PhysicalInputs(MtlBase* m) :
        baseWeight_(m, L"base_weight", L"base_weight_map"),
        base_(m, L"base_color", L"base_color_map"),
        specWeight_(m, L"reflectivity", L"reflectivity_map"),
        reflColor_(m, L"refl_color", L"refl_color_map"),
        roughness_(m, L"roughness", L"roughness_map"),
        metalness_(m, L"metalness", L"metalness_map"),
        ior_(m, L"trans_ior", L"trans_ior_map"),
        transmission_(m, L"transparency", L"transparency_map"),
        transColor_(m, L"trans_color", L"trans_color_map"),
        emission_(m, L"emission", L"emission_map"),
        emitColor_(m, L"emit_color", L"emit_color_map"),
        coat_(m, L"coating", L"coat_map"),
        coatColor_(m, L"coat_color", L"coat_color_map"),
        coatRoughness_(m, L"coat_roughness", L"coat_rough_map"),
        coatIor_(m, L"coat_ior", L"coat_ior_map"),
        cutout_(m, L"cutout", L"cutout_map"),
        thin_(GetParam(m, QStringLiteral("thin_walled"), 0).toBool())
    {
    }
    Surface At(float u, float v) const
    {
        Surface s;
        s.baseWeight = baseWeight_.At(u, v).r;
        s.base = Rgb(base_.At(u, v));
        s.specWeight = specWeight_.At(u, v).r;
        s.reflColor = Rgb(reflColor_.At(u, v));
        s.roughness = std::clamp(roughness_.At(u, v).r, 0.0f, 1.0f);
        s.metalness = std::clamp(metalness_.At(u, v).r, 0.0f, 1.0f);
        s.ior = std::max(ior_.At(u, v).r, 1.0f);
        s.transmission = std::clamp(transmission_.At(u, v).r, 0.0f, 1.0f);
        s.transColor = Rgb(transColor_.At(u, v));
        s.emission = emission_.At(u, v).r;
        s.emitColor = Rgb(emitColor_.At(u, v));
        s.coat = std::clamp(coat_.At(u, v).r, 0.0f, 1.0f);
        s.coatColor = Rgb(coatColor_.At(u, v));
        s.coatRoughness = std::clamp(coatRoughness_.At(u, v).r, 0.0f, 1.0f);
        s.coatIor = std::max(coatIor_.At(u, v).r, 1.0f);
        s.opacity = std::clamp(Luminance(Rgb(cutout_.At(u, v))), 0.0f, 1.0f);
        s.thin = thin_;
        return s;
    }

  private:
    Channel baseWeight_, base_, specWeight_, reflColor_, roughness_, metalness_, ior_, transmission_, transColor_,
        emission_, emitColor_, coat_, coatColor_, coatRoughness_, coatIor_, cutout_;
    bool thin_;
};

// ---- the environment -------------------------------------------------------------

// Seen from +z, lit by a warm key light at the upper left, a cool fill at the
// right and a sky that is brighter above than below.
const Vec3 KEY_DIR = Normalize(Vec3(-0.55f, 0.65f, 0.75f));
const Vec3 KEY_COLOR(2.6f, 2.5f, 2.35f);
const Vec3 FILL_DIR = Normalize(Vec3(0.8f, 0.1f, 0.5f));
const Vec3 FILL_COLOR(0.45f, 0.5f, 0.6f);

Vec3 Sky(const Vec3& d)
{
    const float up = std::clamp(d.y * 0.5f + 0.5f, 0.0f, 1.0f);
    Vec3 c = Lerp(Vec3(0.08f, 0.075f, 0.07f), Vec3(0.82f, 0.82f, 0.84f), up * up);
    // A soft window above left gives polished surfaces something to mirror.
    const float window = std::max(0.0f, Dot(d, KEY_DIR));
    return c + Vec3(1.6f) * std::pow(window, 24.0f);
}

// The sky averaged over the hemisphere around n.
Vec3 Irradiance(const Vec3& n)
{
    const float up = std::clamp(n.y * 0.5f + 0.5f, 0.0f, 1.0f);
    return Lerp(Vec3(0.12f, 0.11f, 0.1f), Vec3(0.6f, 0.6f, 0.62f), up);
}

Vec3 Backdrop(float x, float y)
{
    const int cell = (static_cast<int>(std::floor(x * 4.0f + 8.0f)) + static_cast<int>(std::floor(y * 4.0f + 8.0f))) & 1;
    return Vec3(cell ? 0.22f : 0.05f);
}

float Schlick(float f0, float cosine)
{
    const float m = 1.0f - std::clamp(cosine, 0.0f, 1.0f);
    return f0 + (1.0f - f0) * m * m * m * m * m;
}
Vec3 Schlick(const Vec3& f0, const Vec3& edge, float cosine)
{
    const float m = 1.0f - std::clamp(cosine, 0.0f, 1.0f);
    return f0 + (edge - f0) * (m * m * m * m * m);
}

// GGX lobe for one light, without its Fresnel factor, times cos(light).
float Lobe(const Vec3& n, const Vec3& view, const Vec3& light, float roughness)
{
    const float nl = Dot(n, light), nv = Dot(n, view);
    if (nl <= 0 || nv <= 0)
        return 0;
    // The lights have some size: a mirror still shows a highlight.
    const float a = std::max(roughness * roughness, 0.012f);
    const float a2 = a * a;
    const Vec3 h = Normalize(light + view);
    const float nh = std::max(Dot(n, h), 0.0f);
    const float d = a2 / (PI * std::pow(nh * nh * (a2 - 1) + 1, 2.0f));
    const float k = a * 0.5f;
    const float g = (nl / (nl * (1 - k) + k)) * (nv / (nv * (1 - k) + k));
    return d * g / (4 * nv);
}

// Reflection of the environment, blurred towards the irradiance as the surface roughens.
Vec3 Reflection(const Vec3& n, const Vec3& view, float roughness)
{
    const Vec3 r = n * (2 * Dot(n, view)) - view;
    return Lerp(Sky(r), Irradiance(n), std::sqrt(roughness));
}

float DielectricF0(float ior)
{
    const float r = (ior - 1) / (ior + 1);
    return r * r;
}

Vec3 Shade(const Surface& s, const Vec3& n, float x, float y)
{
    const Vec3 view(0, 0, 1);
    const float nv = std::max(Dot(n, view), 0.0f);
    auto lights = [&](float roughness) {
        return KEY_COLOR * Lobe(n, view, KEY_DIR, roughness) + FILL_COLOR * Lobe(n, view, FILL_DIR, roughness);
    };
    auto lambert = [&] {
        return Irradiance(n) + KEY_COLOR * (std::max(Dot(n, KEY_DIR), 0.0f) / PI) +
               FILL_COLOR * (std::max(Dot(n, FILL_DIR), 0.0f) / PI);
    };
    const Vec3 specLight = lights(s.roughness) + Reflection(n, view, s.roughness);

    // Metal: the base colour at normal incidence, the specular colour towards the rim.
    const Vec3 metalF = Schlick(s.base * s.baseWeight, s.reflColor, nv);
    const Vec3 metal = metalF * specLight;

    // Dielectric: a specular layer over transmission and diffuse.
    const float f = Schlick(DielectricF0(s.ior), nv) * s.specWeight;
    const Vec3 specular = s.reflColor * f * specLight;
    Vec3 through = Backdrop(x, y);
    if (!s.thin)
    {
        // Refraction bends the backdrop inwards, more for denser media.
        const float bend = 1.0f - 1.0f / s.ior;
        through = Backdrop(x * (1 - bend * nv), y * (1 - bend * nv));
    }
    const Vec3 transmitted = s.transColor * through;
    const Vec3 diffuse = s.base * s.baseWeight * lambert();
    const Vec3 under = Lerp(diffuse, transmitted, s.transmission) * (1 - f);
    const Vec3 dielectric = specular + under;

    Vec3 c = Lerp(dielectric, metal, s.metalness);
    if (s.coat > 0)
    {
        const float fc = Schlick(DielectricF0(s.coatIor), nv) * s.coat;
        const Vec3 tint = Lerp(Vec3(1), s.coatColor, s.coat);
        const Vec3 coatLight = lights(s.coatRoughness) + Reflection(n, view, s.coatRoughness);
        c = c * tint * (1 - fc) + coatLight * fc;
    }
    return c + s.emitColor * s.emission;
}

// Bright light rolls off by scaling the whole colour, so a highlight keeps its
// hue (a gold one stays gold) instead of each channel clipping to white.
Vec3 ToneMap(const Vec3& c)
{
    constexpr float KNEE = 0.8f;
    const float peak = std::max({ c.x, c.y, c.z });
    if (peak <= KNEE)
        return c;
    const float rolled = KNEE + (1.0f - KNEE) * (1.0f - std::exp(-(peak - KNEE) / (1.0f - KNEE)));
    return c * (rolled / peak);
}

QRgb Pixel(const Vec3& c, float alpha = 1.0f)
{
    return qRgba(LinearToSrgb8(c.x), LinearToSrgb8(c.y), LinearToSrgb8(c.z), static_cast<int>(alpha * 255.0f + 0.5f));
}

QImage RenderSphere(MtlBase* m, int size)
{
    QImage image(size, size, QImage::Format_ARGB32);
    const bool physical = m->ClassID() == PHYSICAL_MATERIAL_CLASS_ID;
    std::unique_ptr<PhysicalInputs> inputs;
    Surface plain;
    if (physical)
    {
        inputs = std::make_unique<PhysicalInputs>(m);
    }
    else
    {
        const Color diffuse = static_cast<Mtl*>(m)->GetDiffuse();
        plain.base = Vec3(diffuse.r, diffuse.g, diffuse.b);
        plain.specWeight = 0.5f;
    }
    constexpr float RADIUS = 0.92f;
    const float scale = 2.0f / static_cast<float>(size);
    for (int py = 0; py < size; ++py)
    {
        auto* line = reinterpret_cast<QRgb*>(image.scanLine(py));
        const float y = 1.0f - (static_cast<float>(py) + 0.5f) * scale;
        for (int px = 0; px < size; ++px)
        {
            const float x = (static_cast<float>(px) + 0.5f) * scale - 1.0f;
            const Vec3 back = Backdrop(x, y);
            const float r2 = (x * x + y * y) / (RADIUS * RADIUS);
            if (r2 >= 1.0f)
            {
                line[px] = Pixel(back);
                continue;
            }
            const Vec3 n(x / RADIUS, y / RADIUS, std::sqrt(1.0f - r2));
            // The front half of the sphere holds the whole texture.
            const float u = 0.5f + std::atan2(n.x, n.z) / PI;
            const float v = 0.5f + std::asin(std::clamp(n.y, -1.0f, 1.0f)) / PI;
            const Surface s = inputs ? inputs->At(u, v) : plain;
            Vec3 c = Shade(s, n, x, y);
            c = Lerp(back, c, s.opacity);
            // Soften the rim against the backdrop.
            const float edge = std::clamp((1.0f - std::sqrt(r2)) * static_cast<float>(size) * RADIUS * 0.5f, 0.0f, 1.0f);
            line[px] = Pixel(ToneMap(Lerp(back, c, edge)));
        }
    }
    return image;
}

QImage RenderPatch(Texmap* map, int size)
{
    QImage image(size, size, QImage::Format_ARGB32);
    const SamplerPtr sampler = SamplerFor(map, 0);
    for (int py = 0; py < size; ++py)
    {
        auto* line = reinterpret_cast<QRgb*>(image.scanLine(py));
        const float v = 1.0f - (static_cast<float>(py) + 0.5f) / static_cast<float>(size);
        for (int px = 0; px < size; ++px)
        {
            const float u = (static_cast<float>(px) + 0.5f) / static_cast<float>(size);
            line[px] = Pixel(Rgb(sampler->Sample(u, v)));
        }
    }
    return image;
}

} // namespace

AColor EvaluateMap(Texmap* map, float u, float v)
{
    const SamplerPtr sampler = SamplerFor(map, 0);
    return sampler ? sampler->Sample(u, v) : AColor(0, 0, 0, 1);
}

QImage RenderSwatch(MtlBase* m, int size)
{
    if (!m || size <= 0)
        return QImage();
    if (m->SuperClassID() == TEXMAP_CLASS_ID)
        return RenderPatch(static_cast<Texmap*>(m), size);
    return RenderSphere(m, size);
}

} // namespace Norvane
