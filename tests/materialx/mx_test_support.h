// Shared helpers of the MaterialX document library tests.
#ifndef ROZO_TESTS_MX_TEST_SUPPORT_H
#define ROZO_TESTS_MX_TEST_SUPPORT_H

#include <MaterialXCore/Document.h>
#include <MaterialXFormat/File.h>
#include <MaterialXFormat/XmlIo.h>

#include "import/StandardLibraries.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>

#include <unistd.h>

namespace mxtest
{

namespace mx = MaterialX;

// A document read from XML text.
inline mx::DocumentPtr readDoc(const std::string& xml)
{
    mx::DocumentPtr doc = mx::createDocument();
    mx::readFromXmlString(doc, xml);
    return doc;
}

// Wraps element text in a document of the current version.
inline std::string mtlx(const std::string& body, const std::string& rootAttributes = "version=\"1.39\"")
{
    return "<?xml version=\"1.0\"?>\n<materialx " + rootAttributes + ">\n" + body + "</materialx>\n";
}

// The folder that holds the standard libraries of the current version.
inline mx::FilePath libraryRoot()
{
    return mx::FilePath(ROZO_MATERIALX_DATA_DIR) / "v1.39";
}

// The standard libraries as the plug-in loads them, read once per test run.
inline mx::ConstDocumentPtr standardLibraries()
{
    static mx::DocumentPtr lib = rozo::loadLibraryFolders(rozo::standardLibraryFolders(), mx::FileSearchPath(libraryRoot()));
    return lib;
}

// Documents of older versions, read (and so upgraded) and written back: the
// text shows every rename, move and new element at once.
class UpgradeTest : public ::testing::Test
{
  protected:
    std::string upgrade(const std::string& version, const std::string& body)
    {
        doc = readDoc(mtlx(body, "version=\"" + version + "\""));
        return bodyOf(mx::writeToXmlString(doc));
    }
    // The written document without the XML declaration and root lines.
    static std::string bodyOf(const std::string& xml)
    {
        const size_t start = xml.find('\n', xml.find("<materialx")) + 1;
        const size_t end = xml.rfind("</materialx>");
        return xml.substr(start, end - start);
    }
    mx::DocumentPtr doc;
};

// A fresh temporary folder per test, removed afterwards.
class TempFolder
{
  public:
    TempFolder()
    {
        const ::testing::TestInfo* info = ::testing::UnitTest::GetInstance()->current_test_info();
        _path = std::filesystem::temp_directory_path() /
                ("mx_" + std::string(info->test_suite_name()) + "_" + info->name() + "_" + std::to_string(::getpid()));
        std::filesystem::remove_all(_path);
        std::filesystem::create_directories(_path);
    }
    ~TempFolder() { std::filesystem::remove_all(_path); }
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    std::string file(const std::string& name) const { return (_path / name).string(); }
    std::string write(const std::string& name, const std::string& text) const
    {
        std::filesystem::create_directories((_path / name).parent_path());
        std::ofstream(file(name), std::ios::binary) << text;
        return file(name);
    }
    std::string read(const std::string& name) const
    {
        std::ifstream in(file(name), std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }

  private:
    std::filesystem::path _path;
};

} // namespace mxtest

#endif
