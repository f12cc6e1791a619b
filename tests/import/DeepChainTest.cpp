// Long chains of connected nodes, generated here: every link becomes a map,
// on import and on export again, without running out of stack.

#include "ImportTestSupport.h"

#include <LiveObjects.h>

#include <sstream>

namespace rozo::test
{
namespace
{
// A material whose "base" is fed by `length` add nodes in a row, the last of
// them fed by a constant; with `normals`, its "normal" by as many normalmap nodes.
std::string chainDocument(int length, bool normals)
{
    std::ostringstream doc;
    doc << "  <constant name=\"n0\" type=\"float\">\n"
           "    <input name=\"value\" type=\"float\" value=\"0.5\" />\n  </constant>\n";
    for (int i = 1; i < length; ++i)
        doc << "  <add name=\"n" << i << "\" type=\"float\">\n    <input name=\"in1\" type=\"float\" nodename=\"n"
            << i - 1 << "\" />\n    <input name=\"in2\" type=\"float\" value=\"0.001\" />\n  </add>\n";
    if (normals)
    {
        doc << "  <normalmap name=\"b0\" type=\"vector3\" />\n";
        for (int i = 1; i < length; ++i)
            doc << "  <normalmap name=\"b" << i << "\" type=\"vector3\">\n"
                << "    <input name=\"in\" type=\"vector3\" nodename=\"b" << i - 1 << "\" />\n  </normalmap>\n";
    }
    doc << "  <standard_surface name=\"S\" type=\"surfaceshader\">\n"
           "    <input name=\"base\" type=\"float\" nodename=\"n"
        << length - 1 << "\" />\n";
    if (normals)
        doc << "    <input name=\"coat_normal\" type=\"vector3\" nodename=\"b" << length - 1 << "\" />\n";
    doc << "  </standard_surface>\n"
           "  <surfacematerial name=\"M\" type=\"material\">\n"
           "    <input name=\"surfaceshader\" type=\"surfaceshader\" nodename=\"S\" />\n  </surfacematerial>\n";
    return mtlx(doc.str());
}

// How many maps follow one another through the given slot, and the last one.
int chainLength(Texmap* map, int blockIndex, const std::string& slot, Texmap*& last)
{
    int length = 0;
    for (last = map; map; ++length)
    {
        last = map;
        IParamBlock2* b = block(map, blockIndex);
        const std::optional<ParamID> id = parameterId(b, slot);
        map = id ? b->GetTexmap(*id) : nullptr;
    }
    return length;
}

class DeepChain : public ::testing::TestWithParam<int>
{
  protected:
    // A hundred thousand maps are a lot of memory: none outlives its test.
    void TearDown() override { Norvane::LiveObjects::Instance().DeleteAll(); }

    StagedUtil util;
    QTemporaryDir dir;
};

TEST_P(DeepChain, EveryLinkBecomesAMap)
{
    const int length = GetParam();
    const std::string path = writeFile(dir.path(), "chain.mtlx", chainDocument(length, true));
    std::vector<Mtl*> materials;
    ASSERT_TRUE(util.importMaterials(path, materials)) << util.lastLog().text().substr(0, 2000);
    ASSERT_EQ(materials.size(), 1u);

    Texmap* last = nullptr;
    EXPECT_EQ(chainLength(mapOf(block(materials[0]), "base_weight_map"), 1, "in1_map", last), length);
    EXPECT_EQ(nameOf(last), "n0");
    EXPECT_FLOAT_EQ(floatOf(block(last, 1), "value"), 0.5f);
    EXPECT_EQ(chainLength(mapOf(block(materials[0]), "coat_bump_map"), 0, "normal_map", last), length);
    EXPECT_EQ(classOf(last), NORMAL_MAP_CLASS_ID);
}

TEST_P(DeepChain, ExportWritesEveryLink)
{
    const int length = GetParam();
    const std::string path = writeFile(dir.path(), "chain.mtlx", chainDocument(length, false));
    std::vector<Mtl*> materials;
    ASSERT_TRUE(util.importMaterials(path, materials)) << util.lastLog().text().substr(0, 2000);
    Tab<Mtl*> table;
    table.Append(1, &materials[0]);
    const QString out = dir.filePath("out.mtlx");
    EXPECT_TRUE(util.exportFile(WStr::FromQString(out), table)) << util.lastLog().text().substr(0, 2000);

    QFile written(out);
    ASSERT_TRUE(written.open(QIODevice::ReadOnly));
    const QByteArray text = written.readAll();
    EXPECT_EQ(text.count("<add "), length - 1);
    EXPECT_EQ(text.count("<constant "), 1);
    // Each node but the first is fed by the one before it.
    EXPECT_EQ(text.count("<input name=\"in1\" type=\"float\" value=\"0\" nodename=\""), length - 1);
}

INSTANTIATE_TEST_SUITE_P(Lengths, DeepChain, ::testing::Values(20000),
                         [](const ::testing::TestParamInfo<int>& info) { return std::to_string(info.param); });
} // namespace
} // namespace rozo::test
