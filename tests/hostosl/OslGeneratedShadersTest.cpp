// Every prepared shader file goes through the OSL Map, as source and as
// precompiled text, and its block 1 must match its MaterialX node definition.

#include "OslFrontEnd.h"
#include "OslMapTestSupport.h"
#include "plugin/contracts/OslNaming.h"

#include <gtest/gtest.h>
#include <pugixml.hpp>

#include <cmath>
#include <filesystem>
#include <fstream>
#include <map>
#include <memory>
#include <regex>
#include <sstream>

namespace fs = std::filesystem;

namespace
{

struct DefinitionInput
{
    std::string name;
    std::string type;
    std::string value;         // empty when the definition gives none
    bool fromGeometry = false; // defaultgeomprop: known only when shading
};

struct Definition
{
    std::string category;
    std::vector<DefinitionInput> inputs;
    std::vector<std::string> outputs;
};

std::map<std::string, Definition> readDefinitions(const fs::path& libraries)
{
    std::map<std::string, Definition> definitions;
    for (const auto& entry : fs::recursive_directory_iterator(libraries))
    {
        if (entry.path().extension() != ".mtlx")
            continue;
        pugi::xml_document document;
        if (!document.load_file(entry.path().c_str()))
            continue;
        for (const pugi::xml_node node : document.child("materialx").children("nodedef"))
        {
            Definition& definition = definitions[node.attribute("name").value()];
            definition.category = node.attribute("node").value();
            for (const pugi::xml_node input : node.children("input"))
                definition.inputs.push_back({ input.attribute("name").value(), input.attribute("type").value(),
                                              input.attribute("value").value(),
                                              !input.attribute("defaultgeomprop").empty() });
            for (const pugi::xml_node output : node.children("output"))
                definition.outputs.push_back(output.attribute("name").value());
        }
    }
    return definitions;
}

bool isArrayType(const std::string& mtlxType)
{
    return mtlxType.size() > 5 && mtlxType.compare(mtlxType.size() - 5, 5, "array") == 0;
}

// Arrays ("floatarray") are tables of their element's parameter type.
int expectedParamType(std::string mtlxType)
{
    if (isArrayType(mtlxType))
        mtlxType.erase(mtlxType.size() - 5);
    static const std::map<std::string, int> types = {
        { "float", TYPE_FLOAT }, { "integer", TYPE_INT }, { "boolean", TYPE_INT }, { "color3", TYPE_RGBA }, { "color4", TYPE_FRGBA }, { "vector2", TYPE_POINT2 }, { "vector3", TYPE_POINT3 }, { "vector4", TYPE_POINT4 }, { "matrix33", TYPE_FLOAT }, { "matrix44", TYPE_FLOAT }, { "string", TYPE_STRING }, { "filename", TYPE_STRING }
    };
    const auto found = types.find(mtlxType);
    return found == types.end() ? TYPE_VOID : found->second;
}

std::vector<float> numbersOf(const std::string& value)
{
    if (value == "true")
        return { 1.0f };
    if (value == "false")
        return { 0.0f };
    std::vector<float> numbers;
    std::stringstream stream(value);
    std::string item;
    while (std::getline(stream, item, ','))
        numbers.push_back(std::stof(item));
    return numbers;
}

// The block's value as numbers, matrices as their table (a 3x3 from the upper left).
std::vector<float> blockNumbers(IParamBlock2* block, ParamID id, const std::string& mtlxType)
{
    switch (block->GetParameterType(id))
    {
        case TYPE_INT:
            return { static_cast<float>(block->GetInt(id)) };
        case TYPE_POINT2:
        {
            const Point2 p = block->GetPoint2(id);
            return { p.x, p.y };
        }
        case TYPE_RGBA:
        {
            const Color c = block->GetColor(id);
            return { c.r, c.g, c.b };
        }
        case TYPE_POINT3:
        {
            const Point3 p = block->GetPoint3(id);
            return { p.x, p.y, p.z };
        }
        case TYPE_POINT4:
        {
            const Point4 p = block->GetPoint4(id);
            return { p.x, p.y, p.z, p.w };
        }
        case TYPE_FRGBA:
        {
            const AColor c = block->GetAColor(id);
            return { c.r, c.g, c.b, c.a };
        }
        default:
            break;
    }
    if (mtlxType == "matrix33")
    {
        std::vector<float> upperLeft;
        for (const int entry : { 0, 1, 2, 4, 5, 6, 8, 9, 10 })
            upperLeft.push_back(block->GetFloat(id, 0, entry));
        return upperLeft;
    }
    std::vector<float> values;
    for (int entry = 0; entry < std::max(1, block->Count(id)); ++entry)
        values.push_back(block->GetFloat(id, 0, entry));
    return values;
}

// What is wrong with the map's block 1 for this definition; empty when nothing.
std::string compareWithDefinition(Texmap* map, const Definition& definition)
{
    IParamBlock2* block = map->GetParamBlock(1);
    std::vector<std::string> expected;
    for (const DefinitionInput& input : definition.inputs)
    {
        expected.push_back(rozo::OslParameterName(input.name));
        expected.push_back(rozo::OslParameterName(input.name) + "_map");
    }
    if (parameterNames(block) != expected)
        return "block 1 does not list the definition's inputs and their maps";

    for (const DefinitionInput& input : definition.inputs)
    {
        const std::string name = rozo::OslParameterName(input.name);
        const ParamID id = parameterID(block, name);
        const int type = block->GetParameterType(id);
        const bool stringLike = type == TYPE_STRING || type == TYPE_FILENAME;
        if (expectedParamType(input.type) == TYPE_STRING ? !stringLike : type != expectedParamType(input.type))
            return name + " has parameter type " + std::to_string(type) + " for " + input.type;
        if (block->GetDesc()->FindParamDef(id)->IsTable() != (isArrayType(input.type) || input.type.rfind("matrix", 0) == 0))
            return name + (isArrayType(input.type) ? " is no table" : " is a table");
        if (parameterType(block, name + "_map") != TYPE_TEXMAP)
            return name + "_map is no texture-map parameter";
        if (input.value.empty() || input.fromGeometry)
            continue;
        if (stringLike)
        {
            if (WStr(block->GetStr(id)).ToUTF8().str() != input.value)
                return name + " has the wrong default text";
            continue;
        }
        const std::vector<float> want = numbersOf(input.value);
        const std::vector<float> have = blockNumbers(block, id, input.type);
        if (want.size() != have.size())
            return name + " has " + std::to_string(have.size()) + " default components";
        for (size_t i = 0; i < want.size(); ++i)
            if (std::fabs(want[i] - have[i]) > 1e-6f * std::max(1.0f, std::fabs(want[i])))
                return name + " default component " + std::to_string(i) + " is " + std::to_string(have[i]) +
                       ", the definition says " + std::to_string(want[i]);
    }
    return {};
}

std::string readFile(const fs::path& path)
{
    std::ifstream stream(path, std::ios::binary);
    std::ostringstream text;
    text << stream.rdbuf();
    return text.str();
}

} // namespace

TEST(OslGeneratedShadersTest, EveryPreparedShaderMatchesItsDefinitionInBothForms)
{
    const fs::path shaders = ROZO_TEST_OSL_DIR;
    const std::map<std::string, Definition> definitions = readDefinitions(ROZO_TEST_MATERIALX_LIBRARIES_DIR);
    ASSERT_FALSE(definitions.empty());
    ASSERT_TRUE(fs::is_regular_file(shaders / "mx_funcs.h")) << shaders;
    Norvane::OslMap::SetIncludeFolders({ shaders.string() });

    int checked = 0;
    for (const auto& entry : fs::directory_iterator(shaders))
    {
        if (entry.path().extension() != ".osl")
            continue;
        const std::string stem = entry.path().stem().string();
        const auto definition = definitions.find("ND_" + stem);
        if (definition == definitions.end())
        {
            ADD_FAILURE() << stem << ".osl has no node definition ND_" << stem;
            continue;
        }
        std::unique_ptr<Texmap, MapDeleter> fromSource(createOslMap());
        setCode(fromSource.get(), readFile(entry.path()));
        NorvaneSDK::OSL::IOSLMapInterface* source = oslInterface(fromSource.get());
        if (!source->GetCodeError().isNull())
        {
            ADD_FAILURE() << source->GetCodeError();
            continue;
        }
        EXPECT_EQ(source->GetShaderName().ToUTF8().str(), "mx_" + stem);
        const std::string precompiled = source->GetPrecompiledCode().ToUTF8().str();
        std::smatch category;
        EXPECT_TRUE(std::regex_search(precompiled, category, std::regex("string,mtlx_node,\"(.*)\"")) &&
                    category[1].str() == definition->second.category)
            << stem << ": no mtlx_node \"" << definition->second.category << "\" in the precompiled text";

        std::unique_ptr<Texmap, MapDeleter> fromPrecompiled(createOslMap());
        setCode(fromPrecompiled.get(), precompiled);
        EXPECT_EQ(oslInterface(fromPrecompiled.get())->GetPrecompiledCode().ToUTF8().str(), precompiled) << stem;

        for (Texmap* map : { fromSource.get(), fromPrecompiled.get() })
        {
            const std::string problem = compareWithDefinition(map, definition->second);
            EXPECT_EQ(problem, "") << stem << (map == fromSource.get() ? " (source)" : " (precompiled)");
        }

        // Outputs are not in block 1: check them on the declarations.
        const Norvane::osl::OslParseResult parsed = Norvane::osl::parsePrecompiled(precompiled);
        std::vector<std::string> outputs;
        for (const Norvane::osl::OslParameter& parameter : parsed.shader.parameters)
            if (parameter.isOutput)
                outputs.push_back(parameter.name);
        EXPECT_EQ(outputs, definition->second.outputs) << stem;
        ++checked;
    }
    Norvane::OslMap::SetIncludeFolders({});
    EXPECT_GT(checked, 100);
    std::cout << "[          ] " << checked << " prepared shaders checked against their definitions\n";
}
