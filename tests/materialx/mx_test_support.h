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

// Wraps element text in a 1.38 document.
inline std::string mtlx(const std::string& body, const std::string& rootAttributes = "version=\"1.38\"")
{
    return "<?xml version=\"1.0\"?>\n<materialx " + rootAttributes + ">\n" + body + "</materialx>\n";
}

// The standard libraries as the plug-in loads them, read once per test run.
inline mx::ConstDocumentPtr standardLibraries()
{
    static mx::DocumentPtr lib =
        rozo::loadLibraryFolders(rozo::standardLibraryFolders(), mx::FileSearchPath(mx::FilePath(ROZO_MATERIALX_DATA_DIR)));
    return lib;
}

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
