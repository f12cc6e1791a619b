// Documents of the kinds found in real files: older versions import exactly as
// the same document written in the current version does, and a glTF PBR
// material imports through its translation, without complaints about its
// geometric defaults.

#include "ImportTestSupport.h"

#include "import/ConnectionResolution.h"
#include "import/SurfaceMapping.h"

namespace rozo::test
{
namespace
{
const QString WILD_DIR = QStringLiteral(ROZO_GOLDEN_DIR) + "/../wild";
const QString WILD_GOLDEN_DIR = QStringLiteral(ROZO_GOLDEN_DIR) + "/wild";

std::string readText(const QString& path)
{
    QFile file(path);
    EXPECT_TRUE(file.open(QIODevice::ReadOnly)) << path.toStdString();
    return file.readAll().toStdString();
}

// Two host objects made from equivalent documents: same class, name and
// parameter entries, maps compared the same way.
void expectSameObject(MtlBase* a, MtlBase* b, const std::string& where, int depth = 0)
{
    SCOPED_TRACE(where);
    ASSERT_NE(a, nullptr);
    ASSERT_NE(b, nullptr);
    EXPECT_TRUE(classOf(a) == classOf(b));
    EXPECT_EQ(nameOf(a), nameOf(b));
    ASSERT_EQ(a->NumParamBlocks(), b->NumParamBlocks());
    for (int blockIndex = 0; blockIndex < a->NumParamBlocks(); ++blockIndex)
    {
        IParamBlock2* pa = a->GetParamBlock(blockIndex);
        IParamBlock2* pb = b->GetParamBlock(blockIndex);
        ASSERT_EQ(pa == nullptr, pb == nullptr);
        if (!pa)
            continue;
        ASSERT_EQ(pa->NumParams(), pb->NumParams());
        for (int index = 0; index < pa->NumParams(); ++index)
        {
            const IParamBlock2::Slot* sa = pa->GetSlot(pa->IndextoID(index));
            const IParamBlock2::Slot* sb = pb->GetSlot(pb->IndextoID(index));
            ASSERT_EQ(sa == nullptr, sb == nullptr);
            if (!sa)
                continue;
            const std::string param = toUtf8(pa->GetLocalName(pa->IndextoID(index)));
            ASSERT_EQ(sa->entries.size(), sb->entries.size()) << param;
            for (size_t entry = 0; entry < sa->entries.size(); ++entry)
            {
                const ParamValue& va = sa->entries[entry].value;
                const ParamValue& vb = sb->entries[entry].value;
                EXPECT_EQ(va.i, vb.i) << param;
                for (int k = 0; k < 4; ++k)
                    EXPECT_FLOAT_EQ(va.f[k], vb.f[k]) << param;
                EXPECT_EQ(toUtf8(va.s), toUtf8(vb.s)) << param;
                ASSERT_EQ(va.r == nullptr, vb.r == nullptr) << param;
                MtlBase* ma = dynamic_cast<MtlBase*>(va.r);
                MtlBase* mb = dynamic_cast<MtlBase*>(vb.r);
                if (ma && mb && depth < 16)
                    expectSameObject(ma, mb, where + "." + param, depth + 1);
            }
        }
    }
}

class OlderVersionImport : public ::testing::TestWithParam<std::string>
{
  protected:
    // The old document and the reference library's upgrade of it, side by
    // side in one folder so that file references resolve alike.
    void SetUp() override
    {
        ASSERT_TRUE(dir.isValid());
        const QString name = QString::fromStdString(GetParam());
        oldPath = writeFile(dir.path(), name + ".mtlx", readText(WILD_DIR + "/" + name + ".mtlx"));
        currentPath = writeFile(dir.path(), name + "_1_38.mtlx", readText(WILD_GOLDEN_DIR + "/" + name + ".postflat.xml"));
    }

    std::vector<Mtl*> import(const std::string& path)
    {
        std::vector<Mtl*> materials;
        EXPECT_TRUE(util.importMaterials(path, materials)) << util.lastLog().text();
        EXPECT_EQ(util.lastLog().text(), "");
        return materials;
    }

    StagedUtil util;
    QTemporaryDir dir;
    std::string oldPath;
    std::string currentPath;
};

TEST_P(OlderVersionImport, GivesWhatTheUpgradedDocumentGives)
{
    const std::vector<Mtl*> old = import(oldPath);
    const std::vector<Mtl*> current = import(currentPath);
    ASSERT_FALSE(old.empty());
    ASSERT_EQ(old.size(), current.size());
    for (size_t i = 0; i < old.size(); ++i)
        expectSameObject(old[i], current[i], nameOf(current[i]));
}

INSTANTIATE_TEST_SUITE_P(Wild, OlderVersionImport,
                         ::testing::Values("upgrade_1_37_material", "upgrade_1_37_channels", "upgrade_1_36_graph"),
                         [](const ::testing::TestParamInfo<std::string>& info) { return info.param; });

using OlderVersionMaterial = UtilTest;

TEST_F(OlderVersionMaterial, ShaderReferenceBindingsBecomeMaterialParameters)
{
    QTemporaryDir dir;
    const std::string path = writeFile(dir.path(), "old.mtlx", readText(WILD_DIR + "/upgrade_1_37_material.mtlx"));
    std::vector<Mtl*> materials;
    ASSERT_TRUE(util.importMaterials(path, materials)) << util.lastLog().text();
    ASSERT_EQ(materials.size(), 2u);
    EXPECT_EQ(nameOf(materials[0]), "Red_Paint");
    EXPECT_EQ(nameOf(materials[1]), "Plain");
    IParamBlock2* paint = block(materials[0]);
    EXPECT_FLOAT_EQ(floatOf(paint, mapSurfaceInputName("specular_roughness")), 0.35f);
    Texmap* baseColorMap = mapOf(paint, mapSlotName(mapSurfaceInputName("base_color")));
    EXPECT_EQ(nameOf(baseColorMap), "img");
    EXPECT_TRUE(classOf(baseColorMap) == OSL_MAP_CLASS_ID);
    const AColor plain = colorOf(block(materials[1]), mapSurfaceInputName("base_color"));
    EXPECT_EQ(plain, AColor(0.2f, 0.4f, 0.8f, 1.0f));
}

using GltfPbrDocument = UtilTest;

TEST_F(GltfPbrDocument, ImportsThroughItsTranslationWithoutComplaint)
{
    std::vector<Mtl*> materials;
    EXPECT_TRUE(util.importMaterials((WILD_DIR + "/gltf_pbr_textured.mtlx").toStdString(), materials))
        << util.lastLog().text();
    ASSERT_EQ(materials.size(), 1u);
    EXPECT_EQ(nameOf(materials[0]), "Gltf");
    EXPECT_TRUE(classOf(materials[0]) == PHYSICAL_MATERIAL_CLASS_ID);
    IParamBlock2* gltf = block(materials[0]);
    EXPECT_EQ(nameOf(beforeColorTransform(mapOf(gltf, mapSlotName(mapSurfaceInputName("base_color"))))), "albedo");
    EXPECT_FLOAT_EQ(floatOf(gltf, mapSurfaceInputName("metalness")), 0.2f);
    EXPECT_FLOAT_EQ(floatOf(gltf, mapSurfaceInputName("specular_roughness")), 0.6f);
}
} // namespace
} // namespace rozo::test
