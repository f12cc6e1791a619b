// Every shared example document that imports cleanly, exported and imported
// again, gives the same materials: same parameter values, same map structure.

#include "ExportTestSupport.h"

#include "plugin/HostCalls.h"
#include "plugin/ParameterAccess.h"

#include <QDir>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <set>
#include <sstream>

using namespace exporttest;

namespace
{

std::string number(float value)
{
    char text[32];
    std::snprintf(text, sizeof text, "%.9g", value);
    return text;
}

// One line per parameter and, indented, the maps below it; a map met again
// on its own path is named only.
void describe(MtlBase* object, const std::string& indent, std::set<MtlBase*>& path, std::ostringstream& out)
{
    WStr className;
    object->GetClassName(className);
    out << rozo::toUtf8(className) << " \"" << rozo::toUtf8(object->GetName()) << "\"";
    if (object->ClassID() == OSL_MAP_CLASS_ID)
        out << " shader " << rozo::toUtf8(rozo::oslShaderName(static_cast<Texmap*>(object)));
    if (!path.insert(object).second)
    {
        out << " (again)\n";
        return;
    }
    out << "\n";
    // An OSL Map's block 0 is its code; block 1 holds the shader parameters.
    IParamBlock2* block = object->GetParamBlock(object->ClassID() == OSL_MAP_CLASS_ID ? 1 : 0);
    for (const std::string& name : rozo::parameterNames(block))
    {
        // Import writes "subsurface_scale" to "sss_depth", export reads it
        // from "sss_scale": each direction keeps its own name for it.
        if (name == "sss_depth")
            continue;
        const ParamID id = *rozo::parameterId(block, name);
        const int type = block->GetParameterType(id);
        out << indent << "  " << name << " = ";
        if (IsFloatParamType(type))
            out << number(block->GetFloat(id));
        else if (IsIntParamType(type))
            out << block->GetInt(id);
        else if (IsPoint3ParamType(type) || IsPoint4ParamType(type) || type == TYPE_POINT2)
        {
            const Point4 p = block->GetPoint4(id);
            const Point3 q = block->GetPoint3(id);
            const Point2 r = block->GetPoint2(id);
            if (IsPoint4ParamType(type))
                out << number(p.x) << " " << number(p.y) << " " << number(p.z) << " " << number(p.w);
            else if (type == TYPE_POINT2)
                out << number(r.x) << " " << number(r.y);
            else
                out << number(q.x) << " " << number(q.y) << " " << number(q.z);
        }
        else if (IsStringParamType(type))
            out << '"' << rozo::toUtf8(WStr(block->GetStr(id))) << '"';
        else if (type == TYPE_TEXMAP)
        {
            if (Texmap* map = block->GetTexmap(id))
            {
                describe(map, indent + "    ", path, out);
                continue;
            }
            out << "none";
        }
        out << "\n";
    }
    path.erase(object);
}

std::string description(Mtl* material)
{
    std::ostringstream out;
    std::set<MtlBase*> path;
    describe(material, "", path, out);
    return out.str();
}

class RoundTrip : public ExportTest, public ::testing::WithParamInterface<std::string>
{
};

std::vector<std::string> exampleDocuments()
{
    std::vector<std::string> names;
    for (const QString& name : QDir(ROZO_EXAMPLES_DIR).entryList({ "*.mtlx" }, QDir::Files, QDir::Name))
        names.push_back(name.toStdString());
    return names;
}
} // namespace

TEST_P(RoundTrip, ExportedAndImportedAgainGivesTheSameMaterials)
{
    const std::string source = std::string(ROZO_EXAMPLES_DIR) + "/" + GetParam();
    std::vector<Mtl*> first;
    if (!util->importMaterials(source, first) || first.empty())
        GTEST_SKIP() << "does not import cleanly: " << log();

    Tab<Mtl*> table;
    for (Mtl* m : first)
        table.Append(m);
    util->exportFile(WStr::FromQString(path("scene.mtlx")), table);
    const std::string exportLog = log();

    std::vector<Mtl*> second;
    util->importMaterials(path("scene.mtlx").toStdString(), second);
    ASSERT_EQ(second.size(), first.size()) << "export: " << exportLog << "import: " << log();

    std::map<std::string, Mtl*> byName;
    for (Mtl* m : second)
        byName[rozo::toUtf8(m->GetName())] = m;
    for (Mtl* m : first)
    {
        const auto again = byName.find(rozo::toUtf8(m->GetName()));
        ASSERT_NE(again, byName.end()) << rozo::toUtf8(m->GetName()) << " is missing after the round trip";
        const std::string before = description(m);
        const std::string after = description(again->second);
        EXPECT_TRUE(sameWithinSixDigits(before, after))
            << "before:\n"
            << before << "after:\n"
            << after << "export log: " << exportLog;
    }
}

INSTANTIATE_TEST_SUITE_P(Examples, RoundTrip, ::testing::ValuesIn(exampleDocuments()),
                         exampleTestName);

namespace
{
// MaterialX 1.39.5's examples, and its reading of the 1.38 examples (the
// reference library's flattened output, its own elements only).
const char* const EXAMPLES_1_39_DIR = ROZO_EXAMPLES_DIR "/../v1.39/examples";
const char* const UPGRADED_EXAMPLES_DIR = ROZO_EXAMPLES_DIR "/../v1.39/golden/examples";

std::vector<std::string> documentsIn(const char* folder, const QString& pattern)
{
    std::vector<std::string> names;
    for (const QString& name : QDir(folder).entryList({ pattern }, QDir::Files, QDir::Name))
        names.push_back(name.toStdString());
    return names;
}

class StandardSurface1_39 : public ExportTest, public ::testing::WithParamInterface<std::string>
{
};

class Upgraded1_38 : public ExportTest, public ::testing::WithParamInterface<std::string>
{
};

std::vector<std::string> upgradedExamples()
{
    std::vector<std::string> names;
    // A copy whose materials came from included files holds none of them:
    // the golden copies leave included elements out.
    for (const std::string& name : documentsIn(UPGRADED_EXAMPLES_DIR, "*.postflat.xml"))
        if (readFile(QString(UPGRADED_EXAMPLES_DIR) + "/" + QString::fromStdString(name)).find("<surfacematerial ") !=
            std::string::npos)
            names.push_back(name.substr(0, name.size() - std::string(".postflat.xml").size()) + ".mtlx");
    return names;
}
} // namespace

TEST_P(StandardSurface1_39, ImportsWithAnEmptyLog)
{
    std::vector<Mtl*> materials;
    EXPECT_TRUE(util->importMaterials(std::string(EXAMPLES_1_39_DIR) + "/" + GetParam(), materials)) << log();
    EXPECT_FALSE(materials.empty());
}

INSTANTIATE_TEST_SUITE_P(Examples, StandardSurface1_39,
                         ::testing::ValuesIn(documentsIn(EXAMPLES_1_39_DIR, "standard_surface_*.mtlx")),
                         exampleTestName);

// A 1.38 document and the reference library's 1.39 reading of it make the
// same host objects.
TEST_P(Upgraded1_38, GivesTheSameMaterialsAsTheReferencesUpgrade)
{
    std::vector<Mtl*> original;
    if (!util->importMaterials(std::string(ROZO_EXAMPLES_DIR) + "/" + GetParam(), original) || original.empty())
        GTEST_SKIP() << "does not import cleanly: " << log();
    std::vector<std::string> before;
    for (Mtl* m : original)
        before.push_back(description(m));

    const std::string stem = GetParam().substr(0, GetParam().size() - 5);
    std::vector<Mtl*> upgraded;
    const std::string copy = path(QString::fromStdString(stem) + ".mtlx").toStdString();
    writeFile(QString::fromStdString(copy),
              readFile(QString(UPGRADED_EXAMPLES_DIR) + "/" + QString::fromStdString(stem) + ".postflat.xml"));
    EXPECT_TRUE(util->importMaterials(copy, upgraded)) << log();
    ASSERT_EQ(upgraded.size(), original.size());
    for (size_t k = 0; k < upgraded.size(); ++k)
        EXPECT_TRUE(sameWithinSixDigits(before[k], description(upgraded[k])))
            << "1.38:\n"
            << before[k] << "1.39:\n"
            << description(upgraded[k]);
}

INSTANTIATE_TEST_SUITE_P(Examples, Upgraded1_38, ::testing::ValuesIn(upgradedExamples()), exampleTestName);
