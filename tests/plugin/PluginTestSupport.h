#pragma once
// Shared set-up for tests that run the plug-in's code in-process: utility
// objects whose libraries come from the build tree's install layout, made
// fresh for each test, and small files written into temporary folders.

#include "TestApplication.h"
#include "plugin/MtlXIOUtil.h"

#include <DebugChannel.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <memory>
#include <string>

namespace rozo::test
{
/// The module file of the install layout in the build tree.
inline mx::FilePath stageModuleFile()
{
    return mx::FilePath(ROZO_PLUGIN_MODULE);
}

/// A utility object with the standard libraries of the install layout, its
/// options as the panel first shows them. A fixture holding one gets a new
/// one for every test.
class StagedUtil : public MtlXIOUtil
{
  public:
    StagedUtil() :
        MtlXIOUtil((ensureApplication(), stageModuleFile()))
    {
    }
};

/// A test with a fresh utility object of its own.
class UtilTest : public ::testing::Test
{
  protected:
    StagedUtil util;
};

/// What the plug-in wrote to the host's debug channel since the last call.
inline std::string takeDebugText()
{
    const std::string text = Norvane::DebugChannel::Instance().Text().toStdString();
    Norvane::DebugChannel::Instance().Clear();
    return text;
}

/// Writes text into folder/relativePath, making the folders it needs.
inline std::string writeFile(const QString& folder, const QString& relativePath, const std::string& text)
{
    const QString path = QDir(folder).filePath(relativePath);
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    EXPECT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate)) << path.toStdString();
    file.write(text.data(), static_cast<qint64>(text.size()));
    return path.toStdString();
}

/// A MaterialX document around the given elements.
inline std::string mtlx(const std::string& body)
{
    return "<?xml version=\"1.0\"?>\n<materialx version=\"1.38\">\n" + body + "</materialx>\n";
}
} // namespace rozo::test
