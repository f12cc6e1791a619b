#pragma once
// A scratch folder for shader and include files, removed with the fixture.

#include <filesystem>
#include <fstream>
#include <string>
#include <unistd.h>

#include <gtest/gtest.h>

class OslFilesTest : public ::testing::Test
{
  protected:
    void SetUp() override
    {
        const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
        folder_ = std::filesystem::temp_directory_path() /
                  ("hostosl_" + std::string(info->test_suite_name()) + "_" + info->name() + "_" + std::to_string(::getpid()));
        std::filesystem::remove_all(folder_);
        std::filesystem::create_directories(folder_);
    }
    void TearDown() override { std::filesystem::remove_all(folder_); }

    // Writes `text` to `relative` inside the scratch folder; answers the full path.
    std::string write(const std::string& relative, const std::string& text) const
    {
        const std::filesystem::path path = folder_ / relative;
        std::filesystem::create_directories(path.parent_path());
        std::ofstream(path, std::ios::binary) << text;
        return path.string();
    }
    std::string folder() const { return folder_.string(); }

  private:
    std::filesystem::path folder_;
};
