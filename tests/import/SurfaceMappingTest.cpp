// Input names on the Physical Material and values written by their kind.

#include "ImportTestSupport.h"

#include "import/ImportRun.h"

#include "import/SurfaceMapping.h"

namespace rozo::test
{
namespace
{
TEST(SurfaceInputNames, TableRowsAndUnchangedNames)
{
    EXPECT_EQ(mapSurfaceInputName("base"), "base_weight");
    EXPECT_EQ(mapSurfaceInputName("specular_IOR"), "trans_ior");
    EXPECT_EQ(mapSurfaceInputName("subsurface_scale"), "sss_depth");
    EXPECT_EQ(mapSurfaceInputName("opacity"), "cutout");
    EXPECT_EQ(mapSurfaceInputName("normal"), "bump");
    EXPECT_EQ(mapSurfaceInputName("coat_normal"), "coat_bump");
    EXPECT_EQ(mapSurfaceInputName("base_color"), "base_color");
    EXPECT_EQ(mapSurfaceInputName("diffuse_roughness"), "diffuse_roughness");
    EXPECT_EQ(mapSurfaceInputName("Base"), "Base");
    EXPECT_EQ(mapSurfaceInputName(""), "");
}

// A host object with one parameter of every kind a value can be written to.
class ProbeObject : public ReferenceTarget
{
  public:
    explicit ProbeObject(const ParamBlockDesc2* desc) { block = CreateParamBlock(desc); }
    IParamBlock2* block = nullptr;
};

class ValueWriting : public ::testing::Test
{
  protected:
    static const ParamBlockDesc2* probeDesc()
    {
        static const ParamBlockDesc2* desc = [] {
            static ParamBlockDesc2 d(0, L"probe");
            d.AddParam(L"count", TYPE_INT);
            d.AddParam(L"flag", TYPE_BOOL);
            d.AddParam(L"amount", TYPE_FLOAT);
            d.AddParam(L"uv", TYPE_POINT2);
            d.AddParam(L"colour", TYPE_FRGBA);
            d.AddParam(L"direction", TYPE_POINT3);
            d.AddParam(L"quad", TYPE_POINT4);
            d.AddParam(L"file", TYPE_FILENAME);
            d.AddParam(L"filename", TYPE_STRING);
            return &d;
        }();
        return desc;
    }

    void SetUp() override
    {
        probe = new ProbeObject(probeDesc());
    }
    void TearDown() override
    {
        probe->DeleteThis();
    }

    void write(const std::string& name, const mx::ValuePtr& value) { run.setParameterFromValue(probe->block, name, value); }
    void write(const std::string& name, const std::string& text, const std::string& type)
    {
        write(name, mx::Value::createValueFromStrings(text, type));
    }
    IParamBlock2* b() { return probe->block; }

    StagedUtil util;
    ImportRun run{ util.settings() };
    ProbeObject* probe = nullptr;
};

TEST_F(ValueWriting, EachKindGoesThroughItsSetter)
{
    write("count", "7", "integer");
    write("flag", "true", "boolean");
    write("amount", "0.2", "float");
    write("uv", "0.25, 0.75", "vector2");
    write("direction", "0.1, 0.2, 0.3", "vector3");
    write("quad", "1, 2, 3, 4", "vector4");
    EXPECT_EQ(intOf(b(), "count"), 7);
    EXPECT_EQ(intOf(b(), "flag"), 1);
    EXPECT_FLOAT_EQ(floatOf(b(), "amount"), 0.2f);
    EXPECT_EQ(point2Of(b(), "uv"), Point2(0.25f, 0.75f));
    EXPECT_EQ(point3Of(b(), "direction"), Point3(0.1f, 0.2f, 0.3f));
    EXPECT_EQ(point4Of(b(), "quad"), Point4(1, 2, 3, 4));
    write("flag", "false", "boolean");
    EXPECT_EQ(intOf(b(), "flag"), 0);
}

TEST_F(ValueWriting, Colour3GetsAlphaOneAndColour4KeepsItsAlpha)
{
    write("colour", "0.5, 0.5, 0.5", "color3");
    EXPECT_EQ(colorOf(b(), "colour"), AColor(0.5f, 0.5f, 0.5f, 1.0f));
    write("colour", "0.1, 0.2, 0.3, 0.4", "color4");
    EXPECT_EQ(colorOf(b(), "colour"), AColor(0.1f, 0.2f, 0.3f, 0.4f));
}

TEST_F(ValueWriting, AbsentValuesUnknownKindsAndUnknownNamesWriteNothing)
{
    write("amount", "0.6", "float");
    write("amount", nullptr);
    write("amount", "1,0,0, 0,1,0, 0,0,1", "matrix33");
    takeDebugText();
    write("no_such_parameter", "0.1", "float");
    EXPECT_EQ(takeDebugText(), "Parameter no_such_parameter not known and ignored.\n");
    EXPECT_FLOAT_EQ(floatOf(b(), "amount"), 0.6f);
}

TEST_F(ValueWriting, TheValueKindAloneChoosesTheSetter)
{
    // A float into a colour parameter is refused by the host, silently.
    write("colour", "0.3, 0.3, 0.3", "color3");
    write("colour", "0.9", "float");
    EXPECT_EQ(colorOf(b(), "colour"), AColor(0.3f, 0.3f, 0.3f, 1.0f));
}

// Texture file names on the "file" parameter.
class FileResolution : public ValueWriting
{
  protected:
    void SetUp() override
    {
        ValueWriting::SetUp();
        writeFile(folder.path(), "textures/wood.png", "png");
        run.documentFolder = folder.path() + "/";
    }
    std::string fullPath() const { return QDir(folder.path()).filePath("textures/wood.png").toStdString(); }

    QTemporaryDir folder;
};

TEST_F(FileResolution, FoundBesideTheDocumentStoresTheFullPath)
{
    write("file", "textures/wood.png", "filename");
    EXPECT_EQ(textOf(b(), "file"), fullPath());
}

TEST_F(FileResolution, UnresolvableNamesAreStoredAsTheDocumentHasThem)
{
    write("file", "textures/missing.png", "filename");
    EXPECT_EQ(textOf(b(), "file"), "textures/missing.png");
}

TEST_F(FileResolution, OffStoresTheNameUnchanged)
{
    util.settings().resolveTexturePaths = false;
    write("file", "textures/wood.png", "filename");
    EXPECT_EQ(textOf(b(), "file"), "textures/wood.png");
}

TEST_F(FileResolution, OnlyTheParameterNamedFileIsResolved)
{
    write("filename", "textures/wood.png", "filename");
    EXPECT_EQ(textOf(b(), "filename"), "textures/wood.png");
}

TEST_F(FileResolution, NonAsciiNamesSurviveTheWideConversion)
{
    write("filename", "t\xc3\xa9xture/\xe6\x9c\xa8.png", "string");
    EXPECT_EQ(textOf(b(), "filename"), "t\xc3\xa9xture/\xe6\x9c\xa8.png");
}
} // namespace
} // namespace rozo::test
