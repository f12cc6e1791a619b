// Input names on the Physical Material and values written by their kind.

#include "ImportTestSupport.h"

#include "import/ConnectionResolution.h"
#include "import/ImportRun.h"

#include "import/SurfaceMapping.h"
#include "plugin/contracts/SurfaceTable.h"

#include <set>

namespace rozo::test
{
namespace
{
// The surface table against the host's Physical Material and against itself:
// what export writes from a row, import reads back into the same parameter,
// except where the table says otherwise.
class SurfaceTable : public ::testing::Test
{
  protected:
    void SetUp() override
    {
        material = createPhysicalMaterial();
        ASSERT_NE(material, nullptr);
        ASSERT_TRUE(folder.isValid());
    }
    void TearDown() override
    {
        for (Mtl* imported : materials)
            imported->DeleteThis();
        material->DeleteThis();
        for (Texmap* texture : textures)
            texture->DeleteThis();
    }

    bool hasParameter(const std::string& name) { return parameterId(block(material), name).has_value(); }

    // Whether import reads the row into the parameter export writes it from.
    static bool sameParameter(const SurfaceRow& row)
    {
        return *row.import.parameter &&
               (!*row.exported.value || std::string(row.import.parameter) == row.exported.value);
    }

    // A distinct value for the n-th row, by the input's type.
    static float valueFor(size_t n) { return 0.05f + 0.03f * static_cast<float>(n); }

    // Exports the material and imports the document again; the first imported material.
    IParamBlock2* roundTrip()
    {
        Tab<Mtl*> exported;
        exported.Append(1, &material);
        const QString path = QDir(folder.path()).filePath("rows.mtlx");
        EXPECT_TRUE(util.exportFile(toWide(path), exported)) << util.lastLog().text();
        EXPECT_TRUE(util.importMaterials(path.toStdString(), materials)) << util.lastLog().text();
        return materials.empty() ? nullptr : block(materials.front());
    }

    StagedUtil util;
    QTemporaryDir folder;
    Mtl* material = nullptr;
    std::vector<Texmap*> textures;
    std::vector<Mtl*> materials;
};

TEST_F(SurfaceTable, EveryRowIsExportedFromParametersOfThePhysicalMaterial)
{
    std::vector<SurfaceRow> rows(SURFACE_ROWS.begin(), SURFACE_ROWS.end());
    rows.push_back(DISPLACEMENT_ROW);
    for (const SurfaceRow& row : rows)
    {
        SCOPED_TRACE(row.input);
        EXPECT_TRUE(*row.exported.value || *row.exported.map);
        for (const char* name : { row.exported.value, row.exported.map, row.exported.amount })
            EXPECT_TRUE(!*name || hasParameter(name)) << name;
    }
    EXPECT_TRUE(hasParameter(DISPLACEMENT_AMOUNT_PARAMETER));
}

TEST_F(SurfaceTable, ImportedNamesLandOnParametersOrAreTheStatedDrops)
{
    for (const SurfaceRow& row : SURFACE_ROWS)
    {
        SCOPED_TRACE(row.input);
        const std::string parameter = mapSurfaceInputName(row.input);
        // Rows without an import parameter are the inputs import drops.
        EXPECT_EQ(hasParameter(parameter), *row.import.parameter != '\0');
        if (!*row.import.parameter)
            continue;
        EXPECT_EQ(surfaceAmountParameter(row.input), row.import.amount);
        EXPECT_TRUE(!*row.import.amount || hasParameter(row.import.amount));
        if (!sameParameter(row))
            continue;
        // Import's map slot exists exactly where export reads a map.
        EXPECT_EQ(hasParameter(mapSlotName(parameter)), *row.exported.map != '\0');
        if (*row.exported.map)
        {
            EXPECT_EQ(parameterId(block(material), mapSlotName(parameter)),
                      parameterId(block(material), row.exported.map));
        }
    }
    EXPECT_EQ(mapSurfaceInputName("no_such_input"), "no_such_input");
    EXPECT_EQ(surfaceAmountParameter("no_such_input"), "");
}

TEST_F(SurfaceTable, ImportAndExportDifferOnlyWhereTheTableSays)
{
    std::set<std::string> notImported, otherParameter, valueImportedOnly;
    for (const SurfaceRow& row : SURFACE_ROWS)
    {
        if (!*row.import.parameter)
            notImported.insert(row.input);
        else if (!*row.exported.value)
            valueImportedOnly.insert(row.input);
        else if (std::string(row.import.parameter) != row.exported.value)
            otherParameter.insert(row.input);
        if (*row.import.amount || *row.exported.amount)
        {
            EXPECT_STREQ(row.import.amount, row.exported.amount) << row.input;
        }
    }
    EXPECT_EQ(notImported, (std::set<std::string>{ "diffuse_roughness", "specular_rotation" }));
    EXPECT_EQ(otherParameter, (std::set<std::string>{ "subsurface_scale" }));
    EXPECT_EQ(valueImportedOnly, (std::set<std::string>{ "opacity", "normal", "coat_normal" }));
}

TEST_F(SurfaceTable, ValuesExportedFromARowComeBackOnImport)
{
    for (size_t n = 0; n < SURFACE_ROWS.size(); ++n)
    {
        const SurfaceRow& row = SURFACE_ROWS[n];
        if (!*row.exported.value)
            continue;
        const ParamID id = idOf(block(material), row.exported.value);
        const float v = valueFor(n);
        if (std::string(row.type) == "color3")
            block(material)->SetValue(id, 0, AColor(v, v / 2, v / 3, 1.0f), 0);
        else if (std::string(row.type) == "boolean")
            block(material)->SetValue(id, 0, 1, 0);
        else
            block(material)->SetValue(id, 0, v, 0);
    }
    IParamBlock2* imported = roundTrip();
    ASSERT_NE(imported, nullptr);
    for (size_t n = 0; n < SURFACE_ROWS.size(); ++n)
    {
        const SurfaceRow& row = SURFACE_ROWS[n];
        if (!*row.exported.value || !sameParameter(row))
            continue;
        SCOPED_TRACE(row.input);
        const float v = valueFor(n);
        if (std::string(row.type) == "color3")
        {
            const AColor c = colorOf(imported, row.import.parameter);
            EXPECT_NEAR(c.r, v, 1e-5f);
            EXPECT_NEAR(c.g, v / 2, 1e-5f);
            EXPECT_NEAR(c.b, v / 3, 1e-5f);
        }
        else if (std::string(row.type) == "boolean")
        {
            EXPECT_EQ(intOf(imported, row.import.parameter), 1);
        }
        else
        {
            EXPECT_NEAR(floatOf(imported, row.import.parameter), v, 1e-5f);
        }
    }
}

TEST_F(SurfaceTable, MapsAndAmountsExportedFromARowComeBackOnImport)
{
    for (size_t n = 0; n < SURFACE_ROWS.size(); ++n)
    {
        const SurfaceRow& row = SURFACE_ROWS[n];
        if (*row.exported.map)
        {
            // One texture each: a shared one would be typed by its first input.
            const std::string file = writeFile(folder.path(), QString("%1.png").arg(row.input), "png");
            auto* bitmap =
                static_cast<BitmapTex*>(GetCOREInterface()->CreateInstance(TEXMAP_CLASS_ID, BITMAP_CLASS_ID));
            ASSERT_NE(bitmap, nullptr);
            bitmap->SetMapName(toWide(file).data());
            textures.push_back(bitmap);
            setTexmapByName(block(material), row.exported.map, bitmap);
        }
        if (*row.exported.amount)
            setFloatByName(block(material), row.exported.amount, valueFor(n));
    }
    IParamBlock2* imported = roundTrip();
    ASSERT_NE(imported, nullptr);
    for (size_t n = 0; n < SURFACE_ROWS.size(); ++n)
    {
        const SurfaceRow& row = SURFACE_ROWS[n];
        if (!*row.exported.map || !sameParameter(row))
            continue;
        SCOPED_TRACE(row.input);
        EXPECT_NE(mapOf(imported, mapSlotName(row.import.parameter)), nullptr);
        if (*row.import.amount)
        {
            EXPECT_NEAR(floatOf(imported, row.import.amount), valueFor(n), 1e-5f);
        }
    }
}

// Presets stand in for the host's defaults where they differ from standard_surface's.
TEST_F(SurfaceTable, ImportedMaterialsStartFromThePresetsNotTheHostDefaults)
{
    const std::string path =
        writeFile(folder.path(), "bare.mtlx",
                  mtlx("  <standard_surface name=\"bare_surface\" type=\"surfaceshader\" />\n"
                       "  <surfacematerial name=\"bare\" type=\"material\">\n"
                       "    <input name=\"surfaceshader\" type=\"surfaceshader\" nodename=\"bare_surface\" />\n"
                       "  </surfacematerial>\n"));
    ASSERT_TRUE(util.importMaterials(path, materials)) << util.lastLog().text();
    ASSERT_EQ(materials.size(), 1u);
    IParamBlock2* imported = block(materials.front());
    IParamBlock2* fresh = block(material);
    for (const SurfaceRow& row : SURFACE_ROWS)
    {
        SCOPED_TRACE(row.input);
        if (row.import.valuePreset)
        {
            EXPECT_FLOAT_EQ(floatOf(imported, row.import.parameter), *row.import.valuePreset);
            EXPECT_NE(floatOf(fresh, row.import.parameter), *row.import.valuePreset);
        }
        if (row.import.amountPreset)
        {
            EXPECT_FLOAT_EQ(floatOf(imported, row.import.amount), *row.import.amountPreset);
            EXPECT_NE(floatOf(fresh, row.import.amount), *row.import.amountPreset);
        }
    }
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
