#pragma once
// Imports through an install root of its own: the MaterialX 1.39 libraries
// (which define OpenPBR and its translation), the staged translation documents
// and prepared shaders, and any translation documents a test adds.

#include "ImportTestSupport.h"

#include <MaterialXFormat/XmlIo.h>

#include <QTextStream>

#include <map>
#include <memory>

namespace rozo::test
{
const QString MX139_DIR = QStringLiteral(ROZO_MATERIALX_V139_DIR);
const QString MX139_EXAMPLES_DIR = MX139_DIR + "/examples";
const QString STAGE_DIR = QStringLiteral(ROZO_STAGE_DIR);

class TranslationRoot
{
  public:
    /// extraDocuments: file name -> text, written into the root's translation folder.
    explicit TranslationRoot(const std::map<QString, std::string>& extraDocuments = {})
    {
        ensureApplication();
        QDir root(dir.path());
        EXPECT_TRUE(QFile::link(MX139_DIR + "/libraries", root.filePath("libraries")));
        EXPECT_TRUE(QFile::link(STAGE_DIR + "/osl", root.filePath("osl")));
        root.mkpath("translation");
        root.mkpath("plugins");
        const QDir staged(STAGE_DIR + "/translation");
        for (const QString& name : staged.entryList({ "*.mtlx" }, QDir::Files))
            EXPECT_TRUE(QFile::copy(staged.filePath(name), root.filePath("translation/" + name)));
        for (const auto& [name, text] : extraDocuments)
            writeFile(root.filePath("translation"), name, text);
        util = std::make_unique<MtlXIOUtil>(moduleFile());
    }

    /// Where a module would lie for its libraries to be the root's.
    mx::FilePath moduleFile() const { return mx::FilePath(QDir(dir.path()).filePath("plugins/module.dlu").toStdString()); }

    QTemporaryDir dir;
    std::unique_ptr<MtlXIOUtil> util;
};

/// A utility object over the 1.39 libraries and the staged translations,
/// fresh for each test that holds one; the folder is made once.
class TranslationUtil : public MtlXIOUtil
{
  public:
    TranslationUtil() :
        MtlXIOUtil(sharedRoot().moduleFile())
    {
    }

  private:
    static const TranslationRoot& sharedRoot()
    {
        static TranslationRoot* root = new TranslationRoot();
        return *root;
    }
};

inline mx::DocumentPtr readDocument(const std::string& path)
{
    mx::DocumentPtr doc = mx::createDocument();
    mx::readFromXmlFile(doc, mx::FilePath(path));
    return doc;
}

inline std::string mx139Example(const std::string& name)
{
    return (MX139_EXAMPLES_DIR + "/" + QString::fromStdString(name) + ".mtlx").toStdString();
}

/// Every map slot of a material that holds a map.
inline std::vector<std::string> filledMapSlots(Mtl* material)
{
    std::vector<std::string> filled;
    IParamBlock2* b = block(material);
    for (int index = 0; index < b->NumParams(); ++index)
    {
        const ParamID id = b->IndextoID(index);
        const std::string name = toUtf8(b->GetLocalName(id));
        if (name.size() > 4 && name.compare(name.size() - 4, 4, "_map") == 0 && b->GetTexmap(id))
            filled.push_back(name);
    }
    return filled;
}

} // namespace rozo::test
