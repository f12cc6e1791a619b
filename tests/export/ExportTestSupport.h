#pragma once
// Host materials and maps built in the model, and a fixture that exports them
// into a temporary folder and reads back what was written.

#include "export/ExportRun.h"
#include "plugin/MtlXIOUtil.h"

#include <gtest/gtest.h>

#include <QString>
#include <QTemporaryDir>

#include <cctype>
#include <initializer_list>
#include <memory>
#include <string>
#include <vector>

namespace exporttest
{
using rozo::ExportRun;
using rozo::MtlXIOUtil;

/// Sets a parameter of one of the object's blocks by internal name; fails the
/// test when the block has no such parameter or refuses the value.
template <typename Value> void setParam(MtlBase* object, const std::string& name, const Value& value, int block = 0);

std::string readFile(const QString& path);

/// Whether two texts agree word by word, numbers within what six significant
/// digits of value text keep; commas count as spaces.
bool sameWithinSixDigits(const std::string& a, const std::string& b);
void writeFile(const QString& path, const std::string& content);

/// The text of the element whose start tag begins `<category name="name"`,
/// start tag to end tag, one line each.
std::string elementText(const std::string& document, const std::string& category, const std::string& name);

/// What an export writes around its nodes.
std::string documentText(const std::string& nodes);

class ExportTest : public ::testing::Test
{
  protected:
    void SetUp() override;
    void TearDown() override;

    Mtl* physicalMaterial(const wchar_t* name);
    Texmap* bitmap(const wchar_t* name, const QString& file, float uTiling = 1.0f, float vTiling = 1.0f);
    Texmap* normalMap(const wchar_t* name, Texmap* normal = nullptr, float strength = 1.0f);
    Texmap* checkerMap(const wchar_t* name);
    Mtl* wrapperMaterial(Mtl* inner);
    Mtl* multiMaterial(const std::vector<Mtl*>& subMaterials);

    /// Runs the script export of the materials into the temporary folder.
    bool exportMaterials(std::initializer_list<Mtl*> materials, const QString& fileName = "scene.mtlx");
    /// The exported file's text.
    std::string written(const QString& fileName = "scene.mtlx") const;
    std::string log() const { return util->lastLog().text(); }
    QString path(const QString& name) const { return folder->filePath(name); }
    /// A small file in the temporary folder, made with its folders.
    QString textureFile(const QString& relativePath, const std::string& content = "texture");

    /// A utility object made for each test, options as the panel first shows them.
    std::unique_ptr<MtlXIOUtil> util;
    std::unique_ptr<QTemporaryDir> folder;

  private:
    template <typename T> T* keep(T* object);
    std::vector<ReferenceTarget*> created;
};

/// A parameterised test's name for an example document: its base name with
/// every character that is not a letter or digit made '_'.
inline std::string exampleTestName(const ::testing::TestParamInfo<std::string>& info)
{
    std::string name = info.param.substr(0, info.param.size() - 5);
    for (char& c : name)
        if (!isalnum(static_cast<unsigned char>(c)))
            c = '_';
    return name;
}
} // namespace exporttest
