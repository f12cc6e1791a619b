// The shaders generated from the shipped data libraries: which files exist, that each
// file's header matches its definition, and a syntax reading of every file.
#include "Coverage.h"
#include "Generator.h"
#include "NodeLibrary.h"
#include "OslLint.h"
#include "ShaderCheck.h"
#include "OslTypes.h"
#include "ShaderWriter.h"
#include "plugin/contracts/OslNaming.h"
#include "TestFiles.h"

#include <gtest/gtest.h>

#include <fstream>
#include <map>
#include <memory>
#include <sstream>

using namespace oslgen;
namespace fs = std::filesystem;

namespace
{

class GeneratedShadersTest : public ::testing::Test
{
  protected:
    static void SetUpTestSuite()
    {
        folder_ = std::make_unique<TempFolder>();
        std::string error;
        library_ = loadNodeLibrary(OSLGEN_LIBRARIES_DIR, error);
        ASSERT_TRUE(library_) << error;
        report_ = generateShaders(*library_, folder_->path().string(), error);
        ASSERT_TRUE(report_) << error;
        std::vector<std::string> problems;
        funcs_ = oslgen::lint::readLibrary(readText(folder_->path() / "mx_funcs.h"), problems);
    }
    static void TearDownTestSuite()
    {
        folder_.reset();
        library_.reset();
        report_.reset();
    }

    void SetUp() override
    {
        ASSERT_TRUE(library_);
        ASSERT_TRUE(report_);
    }

    static const NodeDefinition& definition(const std::string& name)
    {
        for (const NodeDefinition& def : library_->definitions)
            if (def.name == name)
                return def;
        throw std::runtime_error("no definition " + name);
    }

    static oslgen::lint::ShaderHeader header(const std::string& file)
    {
        oslgen::lint::ShaderHeader parsed;
        std::string error;
        EXPECT_TRUE(oslgen::lint::parseShader(readText(folder_->path() / file), parsed, error))
            << file << ": " << error;
        return parsed;
    }

    static std::string defaultOf(const std::string& file, const std::string& parameter)
    {
        for (const oslgen::lint::Parameter& p : header(file).parameters)
            if (p.name == parameter)
                return p.defaultText;
        return "<missing>";
    }

    static fs::path path(const std::string& file) { return folder_->path() / file; }

    static bool librariesAre139() { return definition("ND_image_color3").version == "1.39"; }

    static std::unique_ptr<TempFolder> folder_;
    static std::optional<NodeLibrary> library_;
    static std::optional<GenerationReport> report_;
    static oslgen::lint::Library funcs_;
};

std::unique_ptr<TempFolder> GeneratedShadersTest::folder_;
std::optional<NodeLibrary> GeneratedShadersTest::library_;
std::optional<GenerationReport> GeneratedShadersTest::report_;
oslgen::lint::Library GeneratedShadersTest::funcs_;

TEST_F(GeneratedShadersTest, FilesExistExactlyForCoveredDefinitions)
{
    EXPECT_TRUE(fs::exists(path("image_color3.osl")));
    EXPECT_TRUE(fs::exists(path("mx_funcs.h")));
    EXPECT_FALSE(fs::exists(path("glossiness_anisotropy.osl"))); // a pbrlib graph implements it
    EXPECT_FALSE(fs::exists(path("oren_nayar_diffuse_bsdf.osl")));
    EXPECT_FALSE(fs::exists(path("standard_surface_surfaceshader.osl")));
    EXPECT_FALSE(fs::exists(path("mix_bsdf.osl")));
    EXPECT_TRUE(fs::exists(path("mix_color3.osl")));
    // stdlib_ng graphs are pruned, so their definitions stay single nodes.
    EXPECT_TRUE(fs::exists(path("tiledimage_color3.osl")));

    size_t shaders = 0;
    for (const fs::directory_entry& entry : fs::directory_iterator(folder_->path()))
        shaders += entry.path().extension() == ".osl" ? 1 : 0;
    EXPECT_EQ(shaders, report_->covered.size());
    for (const CoverageDecision& d : decideCoverage(*library_))
    {
        EXPECT_EQ(fs::exists(path(rozo::oslSourceFileName(d.definition->name))), d.kind == CoverageKind::Covered)
            << d.definition->name;
    }
}

TEST_F(GeneratedShadersTest, EveryStdlibAndPbrlibDataDefinitionIsCovered)
{
    for (const CoverageDecision& d : decideCoverage(*library_))
    {
        const NodeDefinition& def = *d.definition;
        if ((def.library == "stdlib" || def.library == "pbrlib") && d.kind != CoverageKind::Covered)
        {
            const bool structArray = d.kind == CoverageKind::UnsupportedType &&
                                     d.reason.find("arrays of structs") != std::string::npos;
            EXPECT_TRUE(d.kind == CoverageKind::ClosureOutput || structArray ||
                        def.name == "ND_glossiness_anisotropy")
                << def.name << ": " << d.reason;
        }
    }
    EXPECT_EQ(report_->fallbackCount(), 0u);
    EXPECT_FALSE(fs::exists(path("curveadjust_float.osl"))); // its knots are a vector2array
    if (!librariesAre139())
    {
        EXPECT_TRUE(fs::exists(path("arrayappend_float_floatarray.osl")));
        return;
    }
    // New in 1.39, and graphs of stdlib_ng that pruning leaves to a shader.
    for (const char* file : { "hextiledimage_color3.osl", "hextilednormalmap_vector3.osl", "latlongimage.osl",
                              "fractal2d_color3FA.osl", "ramp.osl", "ramp_gradient.osl", "flake3d.osl",
                              "logical_xor.osl", "normalmap_float.osl", "bump_vector3.osl",
                              "convert_boolean_color4.osl", "chiang_hair_roughness.osl" })
        EXPECT_TRUE(fs::exists(path(file))) << file;
}

TEST_F(GeneratedShadersTest, RenamedAndAddedPortsOf139AreUsed)
{
    if (!librariesAre139())
        GTEST_SKIP() << "the libraries are not 1.39";
    const std::string atan2 = readText(path("atan2_vector3.osl"));
    EXPECT_NE(atan2.find("out = mx_atan2(iny, inx);"), std::string::npos) << atan2;
    const std::string normalmap = readText(path("normalmap_vector2.osl"));
    EXPECT_EQ(normalmap.find("space"), std::string::npos) << normalmap;
    EXPECT_NE(normalmap.find("bitangent * mapped[1]"), std::string::npos) << normalmap;
    const std::string worley = readText(path("worleynoise3d_vector3.osl"));
    EXPECT_NE(worley.find("mx_worley_cell(position, jitter, 0)"), std::string::npos) << worley;
    // 1.39 converts with zeros in the added channels.
    EXPECT_NE(readText(path("convert_vector2_vector3.osl")).find("out = vector(in.x, in.y, 0.0);"),
              std::string::npos);
    // "color4" names an input of ramp: the parameter must not hide the type.
    EXPECT_EQ(defaultOf("ramp.osl", "color41"), "{ color ( 1.0 , 1.0 , 1.0 ) , 1.0 }");
    EXPECT_EQ(defaultOf("chiang_hair_absorption_from_color.osl", "color1"), "color ( 1.0 , 1.0 , 1.0 )");
}

TEST_F(GeneratedShadersTest, HeadersMatchTheirDefinitions)
{
    for (const ReportEntry& entry : report_->covered)
    {
        SCOPED_TRACE(entry.definition);
        const NodeDefinition& def = definition(entry.definition);
        const oslgen::lint::ShaderHeader h = header(entry.detail);
        EXPECT_EQ(h.name, "mx_" + def.name.substr(3));
        ASSERT_EQ(h.metadata.size(), 1u);
        ASSERT_EQ(h.metadata[0].size(), 4u);
        EXPECT_EQ(h.metadata[0][0].text, "string");
        EXPECT_EQ(h.metadata[0][1].text, "mtlx_node");
        EXPECT_EQ(h.metadata[0][2].text, "=");
        EXPECT_EQ(h.metadata[0][3].text, "\"" + def.category + "\"");

        ASSERT_EQ(h.parameters.size(), def.inputs.size() + def.outputs.size());
        for (size_t i = 0; i < def.inputs.size(); ++i)
        {
            const oslgen::lint::Parameter& p = h.parameters[i];
            const OslType type = *oslTypeFor(def.inputs[i].type);
            EXPECT_FALSE(p.isOutput);
            EXPECT_EQ(p.name, rozo::OslParameterName(def.inputs[i].name));
            EXPECT_EQ(p.type, type.osl);
            EXPECT_EQ(p.arraySize, type.isArray ? std::to_string(ARRAY_LENGTH) : "");
            EXPECT_TRUE(p.name != "mix" && p.name != "default" && p.name != "normal");
        }
        for (size_t i = 0; i < def.outputs.size(); ++i)
        {
            const oslgen::lint::Parameter& p = h.parameters[def.inputs.size() + i];
            EXPECT_TRUE(p.isOutput);
            EXPECT_EQ(p.name, def.outputs[i].name);
            EXPECT_EQ(p.type, oslTypeFor(def.outputs[i].type)->osl);
        }
    }
}

TEST_F(GeneratedShadersTest, DefaultsComeFromTheDefinitions)
{
    EXPECT_EQ(defaultOf("image_color3.osl", "default1"), "color ( 0.0 , 0.0 , 0.0 )");
    EXPECT_EQ(defaultOf("image_color3.osl", "texcoord"), "{ u , v }");
    EXPECT_EQ(defaultOf("image_color3.osl", "uaddressmode"), "\"periodic\"");
    EXPECT_EQ(defaultOf("image_color3.osl", "file"), "\"\"");
    EXPECT_EQ(defaultOf("mix_color3.osl", "mix1"), "0.0");
    const std::string normalmap = librariesAre139() ? "normalmap_float.osl" : "normalmap.osl";
    EXPECT_EQ(defaultOf(normalmap, "normal1"), "N");
    EXPECT_EQ(defaultOf(normalmap, "in"), "vector ( 0.5 , 0.5 , 1.0 )");
    EXPECT_EQ(defaultOf("noise3d_float.osl", "position"), "P");
    EXPECT_EQ(defaultOf("multiply_float.osl", "in2"), "1.0");
    EXPECT_EQ(defaultOf("unifiednoise2d_float.osl", "clampoutput"), "1");
    EXPECT_EQ(defaultOf("switch_floatI.osl", "which"), "0");
    EXPECT_EQ(defaultOf("geompropvalue_float.osl", "default1"), "0.0");
    EXPECT_EQ(defaultOf("constant_color4.osl", "value"), "{ color ( 0.0 , 0.0 , 0.0 ) , 0.0 }");
    EXPECT_EQ(defaultOf("artistic_ior.osl", "reflectivity"), "color ( 0.944 , 0.776 , 0.373 )");
    EXPECT_EQ(defaultOf("constant_matrix33.osl", "value"),
              "matrix ( 1.0 , 0.0 , 0.0 , 0.0 , 0.0 , 1.0 , 0.0 , 0.0 , 0.0 , 0.0 , 1.0 , 0.0 , "
              "0.0 , 0.0 , 0.0 , 1.0 )");
}

TEST_F(GeneratedShadersTest, SharedIncludeDeclaresTheStructTypes)
{
    EXPECT_EQ(funcs_.structs, (std::set<std::string>{ "vector2", "vector4", "color4" }));
    for (const char* op : { "__operator__add__", "__operator__sub__", "__operator__mul__",
                            "__operator__div__", "__operator__neg__" })
        EXPECT_TRUE(funcs_.functions.count(op)) << op;
    // The generator checks every shader against it; here the check itself stays quiet.
    const ShaderChecker checker(readText(path("mx_funcs.h")));
    EXPECT_EQ(checker.headerProblems(), std::vector<std::string>{});
    EXPECT_EQ(checker.check(readText(path("image_color3.osl"))), std::vector<std::string>{});
}

TEST_F(GeneratedShadersTest, DefaultsUseOnlyGlobalsAndConstructors)
{
    static const std::set<std::string> allowed = { "u", "v", "P", "N", "dPdu", "dPdv",
                                                   "color", "vector", "matrix" };
    for (const ReportEntry& entry : report_->covered)
    {
        for (const oslgen::lint::Parameter& p : header(entry.detail).parameters)
        {
            for (const oslgen::lint::Token& t : p.defaultTokens)
            {
                if (t.kind == oslgen::lint::Token::Identifier)
                {
                    EXPECT_TRUE(allowed.count(t.text)) << entry.detail << ": " << p.name << " uses " << t.text;
                }
            }
        }
    }
}

} // namespace
