// The OSL Map's block 1, rebuilt from the code in "OSLCode" given as source or
// as precompiled text, and the interface that reports the shader.

#include "FileResolution.h"
#include "Hold.h"
#include "HostCore.h"
#include "OslMapTestSupport.h"
#include "OslTestFiles.h"

#include <memory>
#include <regex>

namespace
{

const char* const TYPES_HEADER =
    "#pragma once\n"
    "struct vector2 { float x; float y; };\n"
    "struct vector4 { float x; float y; float z; float w; };\n"
    "struct color4 { color rgb; float a; };\n"
    "color4 mx_mix(color4 a, color4 b, float t) { return a; }\n";

const char* const IMAGE_SHADER =
    "#include \"test_types.h\"\n"
    "shader mx_image_color3 [[ string mtlx_node = \"image\" ]] (\n"
    "  string file = \"\" [[ string widget = \"filename\" ]],\n"
    "  color default1 = color(0.1, 0.2, 0.3),\n"
    "  vector2 texcoord = {u, v},\n"
    "  vector2 offset = vector2(0.5, -1),\n"
    "  color4 tint = {color(0.25), 0.75},\n"
    "  vector4 v4 = {1, 2, 3, 4},\n"
    "  int frameoffset = 7,\n"
    "  float amount = 0.5 [[ string label = \"Amount\" ]],\n"
    "  vector normal1 = vector(0, 0, 1),\n"
    "  string layer = \"top\",\n"
    "  output color out = 0)\n"
    "{ out = default1; }\n";

const std::vector<std::string> IMAGE_BLOCK = {
    "file", "file_map", "default1", "default1_map", "texcoord", "texcoord_map", "offset", "offset_map",
    "tint", "tint_map", "v4", "v4_map", "frameoffset", "frameoffset_map", "amount", "amount_map",
    "normal1", "normal1_map", "layer", "layer_map"
};

using MapPtr = std::unique_ptr<Texmap, MapDeleter>;

} // namespace

class OslMapTest : public OslFilesTest
{
  protected:
    void SetUp() override
    {
        OslFilesTest::SetUp();
        write("include/test_types.h", TYPES_HEADER);
        Norvane::OslMap::SetIncludeFolders({ folder() + "/include" });
        map_.reset(createOslMap());
        ASSERT_NE(map_, nullptr);
    }
    void TearDown() override
    {
        map_.reset();
        Norvane::OslMap::SetIncludeFolders({});
        OslFilesTest::TearDown();
    }
    IParamBlock2* shaderBlock(Texmap* map = nullptr) { return (map ? map : map_.get())->GetParamBlock(1); }

    // The image shader's block as the source gave it, whichever map holds it.
    void expectImageBlock(Texmap* map)
    {
        IParamBlock2* block = shaderBlock(map);
        ASSERT_EQ(parameterNames(block), IMAGE_BLOCK);
        EXPECT_EQ(parameterType(block, "file"), TYPE_FILENAME);
        EXPECT_EQ(parameterType(block, "file_map"), TYPE_TEXMAP);
        EXPECT_EQ(parameterType(block, "default1"), TYPE_RGBA);
        EXPECT_EQ(parameterType(block, "texcoord"), TYPE_POINT2);
        EXPECT_EQ(parameterType(block, "tint"), TYPE_FRGBA);
        EXPECT_EQ(parameterType(block, "v4"), TYPE_POINT4);
        EXPECT_EQ(parameterType(block, "frameoffset"), TYPE_INT);
        EXPECT_EQ(parameterType(block, "amount"), TYPE_FLOAT);
        EXPECT_EQ(parameterType(block, "normal1"), TYPE_POINT3);
        EXPECT_EQ(parameterType(block, "layer"), TYPE_STRING);

        const Color colour = block->GetColor(parameterID(block, "default1"));
        EXPECT_FLOAT_EQ(colour.g, 0.2f);
        const Point2 uv = block->GetPoint2(parameterID(block, "texcoord")); // u and v are known only when shading
        EXPECT_EQ(uv.x, 0.0f);
        const Point2 offset = block->GetPoint2(parameterID(block, "offset"));
        EXPECT_EQ(offset.x, 0.5f);
        EXPECT_EQ(offset.y, -1.0f);
        const AColor tint = block->GetAColor(parameterID(block, "tint"));
        EXPECT_EQ(tint.r, 0.25f);
        EXPECT_EQ(tint.a, 0.75f);
        EXPECT_EQ(block->GetPoint4(parameterID(block, "v4")).w, 4.0f);
        EXPECT_EQ(block->GetInt(parameterID(block, "frameoffset")), 7);
        EXPECT_EQ(block->GetFloat(parameterID(block, "amount")), 0.5f);
        EXPECT_EQ(block->GetPoint3(parameterID(block, "normal1")).z, 1.0f);
        EXPECT_EQ(WStr(block->GetStr(parameterID(block, "layer"))), WStr(L"top"));
        EXPECT_EQ(block->GetTexmap(parameterID(block, "file_map")), nullptr);
    }

    MapPtr map_;
};

TEST_F(OslMapTest, SourceCodeBuildsValueAndMapParameterPerInput)
{
    EXPECT_EQ(shaderBlock()->NumParams(), 0);
    setCode(map_.get(), IMAGE_SHADER);
    EXPECT_EQ(oslInterface(map_.get())->GetCodeError(), WStr());
    expectImageBlock(map_.get());
    EXPECT_EQ(oslInterface(map_.get())->GetShaderName(), WStr(L"mx_image_color3"));
    EXPECT_EQ(map_->NumSubTexmaps(), 10);
    EXPECT_EQ(map_->GetSubTexmapSlotName(1), WStr(L"default1_map"));
}

TEST_F(OslMapTest, PrecompiledTextBuildsTheSameBlockWithoutTheIncludes)
{
    setCode(map_.get(), IMAGE_SHADER);
    const WStr precompiled = oslInterface(map_.get())->GetPrecompiledCode();
    ASSERT_FALSE(precompiled.isNull());

    Norvane::OslMap::SetIncludeFolders({});
    MapPtr copy(createOslMap());
    setCode(copy.get(), precompiled.ToUTF8().str());
    EXPECT_EQ(oslInterface(copy.get())->GetCodeError(), WStr());
    expectImageBlock(copy.get());
    EXPECT_EQ(oslInterface(copy.get())->GetShaderName(), WStr(L"mx_image_color3"));
    EXPECT_EQ(oslInterface(copy.get())->GetPrecompiledCode(), precompiled);
}

TEST_F(OslMapTest, PrecompiledTextCarriesTheNodeCategoryForExport)
{
    setCode(map_.get(), IMAGE_SHADER);
    const std::string precompiled = oslInterface(map_.get())->GetPrecompiledCode().ToUTF8().str();
    std::smatch match;
    ASSERT_TRUE(std::regex_search(precompiled, match, std::regex("string,mtlx_node,\"(.*)\"")));
    EXPECT_EQ(match[1].str(), "image");
    EXPECT_EQ(precompiled.rfind("OpenShadingLanguage 1.00\n", 0), 0u);
}

TEST_F(OslMapTest, MatricesArraysAndClosures)
{
    setCode(map_.get(),
            "#include \"test_types.h\"\n"
            "shader t(matrix m = matrix(2), float w[3] = {1, 2, 3}, color cs[] = {color(1), color(0.5)},\n"
            "         closure color bsdf = 0, output float out = 0, output color4 outa = {color(0), 1}) {}\n");
    IParamBlock2* block = shaderBlock();
    EXPECT_EQ(parameterNames(block),
              (std::vector<std::string>{ "m", "m_map", "w", "w_map", "cs", "cs_map", "bsdf_map" }));
    const ParamID m = parameterID(block, "m");
    EXPECT_EQ(block->GetParameterType(m), TYPE_FLOAT);
    ASSERT_EQ(block->Count(m), 16);
    EXPECT_EQ(block->GetFloat(m, 0, 0), 2.0f);
    EXPECT_EQ(block->GetFloat(m, 0, 1), 0.0f);
    EXPECT_EQ(block->GetFloat(m, 0, 15), 2.0f);
    const ParamID w = parameterID(block, "w");
    ASSERT_EQ(block->Count(w), 3);
    EXPECT_EQ(block->GetFloat(w, 0, 2), 3.0f);
    const ParamID cs = parameterID(block, "cs");
    EXPECT_EQ(block->GetParameterType(cs), TYPE_RGBA);
    ASSERT_EQ(block->Count(cs), 2);
    EXPECT_EQ(block->GetColor(cs, 0, 1).b, 0.5f);
}

TEST_F(OslMapTest, BadCodeLeavesAnEmptyBlockAndSaysWhy)
{
    setCode(map_.get(), IMAGE_SHADER);
    setCode(map_.get(), "shader s(\n  float f) {}\n");
    EXPECT_EQ(oslInterface(map_.get())->GetCodeError(), WStr(L"<OSL code>:2: error: parameter 'f' needs a default value"));
    EXPECT_EQ(shaderBlock()->NumParams(), 0);
    EXPECT_EQ(oslInterface(map_.get())->GetShaderName(), WStr());
    EXPECT_EQ(oslInterface(map_.get())->GetPrecompiledCode(), WStr());

    setCode(map_.get(), "#include \"missing.h\"\nshader s(float f = 1) {}\n");
    EXPECT_EQ(oslInterface(map_.get())->GetCodeError(),
              WStr(L"<OSL code>:1: error: cannot find include file \"missing.h\""));
    setCode(map_.get(), "");
    EXPECT_EQ(oslInterface(map_.get())->GetCodeError(), WStr());
}

TEST_F(OslMapTest, IncludesByAbsolutePathAndThroughFileResolutionFolders)
{
    const std::string header = write("elsewhere/extra_types.h", "struct pair2 { float a; float b; };\n");
    setCode(map_.get(), "#include \"" + header + "\"\nshader s(pair2 p = {1, 2}) {}\n");
    EXPECT_EQ(parameterType(shaderBlock(), "p"), TYPE_POINT2);

    IFileResolutionManager* resolver = IFileResolutionManager::GetInstance();
    ASSERT_NE(resolver, nullptr);
    setCode(map_.get(), "#include \"extra_types.h\"\nshader s(pair2 p = {1, 2}) {}\n");
    EXPECT_NE(oslInterface(map_.get())->GetCodeError(), WStr());
    resolver->AddSearchPath(WStr::FromUTF8(folder() + "/elsewhere").data(), ASSET_TYPE_OTHER);
    setCode(map_.get(), "#include \"extra_types.h\"\nshader s(pair2 p = {1, 2}) {}\n");
    resolver->ClearSearchPaths(ASSET_TYPE_OTHER);
    EXPECT_EQ(oslInterface(map_.get())->GetCodeError(), WStr());
    EXPECT_EQ(parameterType(shaderBlock(), "p"), TYPE_POINT2);
}

TEST_F(OslMapTest, UndoAndRedoPutTheBlockBackWithTheCode)
{
    setCode(map_.get(), "shader first(float a = 1) {}\n");
    theHold.Begin();
    setCode(map_.get(), IMAGE_SHADER);
    shaderBlock()->SetValue(parameterID(shaderBlock(), "amount"), 0, 0.25f);
    theHold.Accept(L"Set shader");

    ASSERT_TRUE(theHold.Undo());
    EXPECT_EQ(parameterNames(shaderBlock()), (std::vector<std::string>{ "a", "a_map" }));
    EXPECT_EQ(oslInterface(map_.get())->GetShaderName(), WStr(L"first"));
    ASSERT_TRUE(theHold.Redo());
    EXPECT_EQ(parameterNames(shaderBlock()), IMAGE_BLOCK);
    EXPECT_EQ(oslInterface(map_.get())->GetShaderName(), WStr(L"mx_image_color3"));
    EXPECT_EQ(shaderBlock()->GetFloat(parameterID(shaderBlock(), "amount")), 0.25f);
    theHold.ClearHistory();
}

TEST_F(OslMapTest, AnsweredAsATexmapWithTheOslInterface)
{
    EXPECT_EQ(map_->ClassID(), OSL_MAP_CLASS_ID);
    EXPECT_EQ(map_->SuperClassID(), TEXMAP_CLASS_ID);
    NorvaneSDK::OSL::IOSLMapInterface* viaID = oslInterface(map_.get());
    ASSERT_NE(viaID, nullptr);
    EXPECT_EQ(dynamic_cast<NorvaneSDK::OSL::IOSLMapInterface*>(map_.get()), viaID);
    EXPECT_EQ(map_->GetInterface(NorvaneSDK::OSL::IOSLMAP_INTERFACE), viaID);
    EXPECT_EQ(map_->GetParamBlock(0)->GetDesc()->NameToIndex(L"OSLCode"), 0);
}

TEST_F(OslMapTest, LibraryFileKeepsCodeBlockAndValues)
{
    setCode(map_.get(), IMAGE_SHADER);
    IParamBlock2* block = shaderBlock();
    block->SetValue(parameterID(block, "amount"), 0, 0.875f);
    MapPtr sub(createOslMap());
    block->SetValue(parameterID(block, "texcoord_map"), 0, sub.get());
    MtlBaseLib* saved = new MtlBaseLib();
    saved->Add(map_.get());
    const QString path = QString::fromStdString(folder() + "/maps.json");
    QString error;
    ASSERT_TRUE(Norvane::HostCore::Instance().SaveLibrary(path, saved, &error)) << error.toStdString();
    saved->DeleteThis();

    MtlBaseLib* loaded = new MtlBaseLib();
    ASSERT_TRUE(Norvane::HostCore::Instance().LoadLibrary(path, loaded, &error)) << error.toStdString();
    ASSERT_EQ(loaded->Count(), 1);
    auto* copy = dynamic_cast<Texmap*>((*loaded)[0]);
    ASSERT_NE(copy, nullptr);
    EXPECT_EQ(oslInterface(copy)->GetShaderName(), WStr(L"mx_image_color3"));
    EXPECT_EQ(oslInterface(copy)->GetPrecompiledCode(), oslInterface(map_.get())->GetPrecompiledCode());
    EXPECT_EQ(parameterNames(shaderBlock(copy)), IMAGE_BLOCK);
    EXPECT_EQ(shaderBlock(copy)->GetFloat(parameterID(shaderBlock(copy), "amount")), 0.875f);
    Texmap* loadedSub = shaderBlock(copy)->GetTexmap(parameterID(shaderBlock(copy), "texcoord_map"));
    ASSERT_NE(loadedSub, nullptr);
    EXPECT_EQ(loadedSub->ClassID(), OSL_MAP_CLASS_ID);
    loaded->DeleteThis(); // a library does not own its maps
    copy->DeleteThis();
    loadedSub->DeleteThis();
}

TEST_F(OslMapTest, ChangedIncludeFileIsReadAgain)
{
    const std::string header = write("include/pair_types.h", "struct pair2 { float a; float b; };\n");
    const std::string code = "#include \"pair_types.h\"\nshader s(pair2 p = {1, 2}) {}\n";
    setCode(map_.get(), code);
    EXPECT_EQ(parameterType(shaderBlock(), "p"), TYPE_POINT2);

    write("include/pair_types.h", "struct pair2 { float a; float b; float c; };\n");
    std::filesystem::last_write_time(header, std::filesystem::last_write_time(header) + std::chrono::seconds(2));
    MapPtr second(createOslMap());
    setCode(second.get(), code);
    // Two values no longer fit three fields; a stale read would not notice.
    EXPECT_NE(oslInterface(second.get())->GetCodeError(), WStr());
    setCode(second.get(), "#include \"pair_types.h\"\nshader s(pair2 p = {1, 2, 3}) {}\n");
    EXPECT_EQ(parameterType(shaderBlock(second.get()), "p"), TYPE_POINT3);
}
