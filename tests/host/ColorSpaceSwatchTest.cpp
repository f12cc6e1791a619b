// Texture colour spaces as the host evaluates them: an image OSL Map that
// names its file's space reads the file as it is, a colour-management OSL Map
// after it takes the values to the working space, and the swatch of such a
// material looks like the texture, as the same file on a Bitmap does.
#include "HostTest.h"

#include "OslMap.h"
#include "ParamAccess.h"
#include "SwatchCache.h"
#include "SwatchRenderer.h"

#include <QImage>

#include <algorithm>
#include <cstdlib>

namespace
{

constexpr int SWATCH_SIZE = 64;
// sRGB 128 decoded: ((128 / 255 + 0.055) / 1.055) ^ 2.4.
constexpr float SRGB_128_LINEAR = 0.21586f;
constexpr float RAW_128 = 128.0f / 255.0f;
constexpr float TOLERANCE = 0.003f;

const wchar_t* const IMAGE_SHADER = L"shader mx_image_color3(string file = \"\" [[ string widget = \"filename\" ]],\n"
                                    L"    color default1 = 0, output color out = 0) { out = default1; }\n";
const wchar_t* const TRANSFORM_SHADER = L"shader mx_srgb_texture_to_lin_rec709_color3(color in = 0, output color out = 0)\n"
                                        L"{ out = in; }\n";

int LargestDifference(const QImage& a, const QImage& b)
{
    int largest = 0;
    for (int y = 0; y < a.height(); ++y)
        for (int x = 0; x < a.width(); ++x)
        {
            const QRgb p = a.pixel(x, y), q = b.pixel(x, y);
            largest = std::max({ largest, std::abs(qRed(p) - qRed(q)), std::abs(qGreen(p) - qGreen(q)),
                                 std::abs(qBlue(p) - qBlue(q)) });
        }
    return largest;
}

} // namespace

class ColorSpaceSwatch : public HostTest
{
  protected:
    void SetUp() override
    {
        HostTest::SetUp();
        QImage texture(4, 4, QImage::Format_RGB32);
        texture.fill(qRgb(128, 200, 40));
        file_ = dir_.filePath("texture.png");
        ASSERT_TRUE(texture.save(file_));
    }
    void TearDown() override
    {
        for (MtlBase* object : made_)
            object->DeleteThis();
        Norvane::SwatchCache::Instance().Clear();
        HostTest::TearDown();
    }
    static void Set(Animatable* owner, const char* name, const QVariant& value, int block = -1)
    {
        ASSERT_TRUE(Norvane::SetParam(owner, name, value, 0, 0, block)) << name;
    }
    template <class T> T* Keep(T* object)
    {
        made_.push_back(object);
        return object;
    }
    Texmap* ImageMap(const wchar_t* colorSpace)
    {
        Texmap* image = NewMap(OSL_MAP_CLASS_ID, L"Image");
        IParamBlock2* code = image->GetParamBlock(Norvane::OslMap::CodeBlock);
        code->SetValue(Norvane::OslMap::CodeParam, 0, WStr(IMAGE_SHADER));
        code->SetValue(Norvane::OslMap::ColorSpaceParam, 0, WStr(colorSpace));
        Set(image, "file", file_);
        return image;
    }
    Texmap* TransformOf(Texmap* image)
    {
        Texmap* transform = NewMap(OSL_MAP_CLASS_ID, L"To working space");
        transform->GetParamBlock(Norvane::OslMap::CodeBlock)->SetValue(Norvane::OslMap::CodeParam, 0, WStr(TRANSFORM_SHADER));
        Set(transform, "in_map", Norvane::FromTarget(image));
        return transform;
    }
    Mtl* MaterialOn(Texmap* map)
    {
        Mtl* m = Keep(NewPhysical(L"Textured"));
        Set(m, "base_color_map", Norvane::FromTarget(map));
        return m;
    }

    QTemporaryDir dir_;
    QString file_;
    std::vector<MtlBase*> made_;
};

TEST_F(ColorSpaceSwatch, TransformAfterAnSrgbImageReadsInTheWorkingSpace)
{
    Texmap* image = ImageMap(L"srgb_texture");
    Texmap* transform = Keep(TransformOf(image));
    EXPECT_NEAR(image->EvalColor(0.5f, 0.5f).r, RAW_128, TOLERANCE);
    EXPECT_NEAR(transform->EvalColor(0.5f, 0.5f).r, SRGB_128_LINEAR, TOLERANCE);
    EXPECT_FLOAT_EQ(transform->EvalColor(0.5f, 0.5f).a, 1.0f);
}

TEST_F(ColorSpaceSwatch, ImageReadsItsFileAsItIsUnlessItLeavesTheSpaceToTheHost)
{
    Texmap* linear = Keep(ImageMap(L"lin_rec709"));
    Texmap* unstated = Keep(ImageMap(L""));
    Texmap* automatic = Keep(ImageMap(L"auto"));
    EXPECT_NEAR(linear->EvalColor(0.5f, 0.5f).r, RAW_128, TOLERANCE);
    EXPECT_NEAR(unstated->EvalColor(0.5f, 0.5f).r, RAW_128, TOLERANCE);
    EXPECT_NEAR(automatic->EvalColor(0.5f, 0.5f).r, SRGB_128_LINEAR, TOLERANCE);
}

TEST_F(ColorSpaceSwatch, SrgbTexturedMaterialLooksAsTheFileOnABitmap)
{
    auto* bitmap = static_cast<BitmapTex*>(NewMap(BITMAP_CLASS_ID, L"Bitmap"));
    bitmap->SetMapName(WStr::FromQString(file_).data());
    const QImage expected = Norvane::RenderSwatch(MaterialOn(bitmap), SWATCH_SIZE);

    const QImage converted = Norvane::RenderSwatch(MaterialOn(TransformOf(ImageMap(L"srgb_texture"))), SWATCH_SIZE);
    EXPECT_LE(LargestDifference(converted, expected), 1);

    // Without the transform the encoded values would shade as they are: brighter.
    const QImage unconverted = Norvane::RenderSwatch(MaterialOn(ImageMap(L"srgb_texture")), SWATCH_SIZE);
    EXPECT_GT(LargestDifference(unconverted, expected), 20);
}
