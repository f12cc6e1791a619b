// The oslgen program as the build runs it: its report, its exit status on bad input,
// and what it leaves in the output folder.
#include "TestFiles.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <regex>
#include <sstream>

namespace fs = std::filesystem;

namespace
{

class GeneratorRunTest : public ::testing::Test
{
  protected:
    // Runs oslgen; returns its exit status, with stdout and stderr kept.
    int run(const std::string& arguments)
    {
        const fs::path out = temp.path() / "stdout.txt";
        const fs::path err = temp.path() / "stderr.txt";
        const std::string command = std::string("\"") + OSLGEN_EXECUTABLE + "\" " + arguments +
                                    " > \"" + out.string() + "\" 2> \"" + err.string() + "\"";
        const int status = std::system(command.c_str());
        stdoutText = readText(out);
        stderrText = readText(err);
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }

    std::string quoted(const fs::path& p) { return "\"" + p.string() + "\""; }

    // A libraries folder whose stdlib holds one document with `nodedefs`; returns the
    // arguments that run oslgen on it into temp/osl.
    std::string stdlibArguments(const std::string& nodedefs)
    {
        const fs::path libs = temp.path() / "libraries";
        writeText(libs / "stdlib" / "defs.mtlx", "<materialx>" + nodedefs + "</materialx>");
        return quoted(libs) + " " + quoted(temp.path() / "osl");
    }

    std::string lastLine() const
    {
        std::string text = stdoutText;
        while (!text.empty() && text.back() == '\n')
            text.pop_back();
        return text.substr(text.rfind('\n') + 1);
    }

    TempFolder temp;
    std::string stdoutText;
    std::string stderrText;
};

TEST_F(GeneratorRunTest, ReportsCoverageOfTheShippedLibraries)
{
    const fs::path output = temp.path() / "osl";
    const fs::path report = temp.path() / "report.txt";
    ASSERT_EQ(run(quoted(OSLGEN_LIBRARIES_DIR) + " " + quoted(output) + " --report " + quoted(report)), 0)
        << stderrText;
    EXPECT_NE(stdoutText.find("covered  ND_image_color3 -> image_color3.osl\n"), std::string::npos);
    EXPECT_NE(stdoutText.find("skipped  ND_glossiness_anisotropy: implemented by node graph "
                              "IMP_glossiness_anisotropy"),
              std::string::npos);
    EXPECT_NE(stdoutText.find("skipped  ND_oren_nayar_diffuse_bsdf: output 'out' is of type BSDF"),
              std::string::npos);
    EXPECT_EQ(readText(report), stdoutText);

    std::smatch m;
    const std::string summary = lastLine();
    ASSERT_TRUE(std::regex_match(summary, m,
                                 std::regex(R"(summary: (\d+) covered \((\d+) with fallback bodies\), (\d+) skipped \((\d+) closure or shader outputs, (\d+) expanded by node graphs, (\d+) outside stdlib and pbrlib, (\d+) unsupported types\))")))
        << summary;
    // Every definition of the libraries is accounted for once.
    const std::string text = stdoutText;
    auto count = [&](const std::string& prefix) {
        size_t n = 0;
        for (size_t at = text.find(prefix); at != std::string::npos; at = text.find(prefix, at + 1))
            n += at == 0 || text[at - 1] == '\n';
        return n;
    };
    EXPECT_EQ(std::stoul(m[1]), count("covered  ") + count("fallback "));
    EXPECT_EQ(std::stoul(m[3]), count("skipped  "));
    EXPECT_EQ(std::stoul(m[4]) + std::stoul(m[5]) + std::stoul(m[6]) + std::stoul(m[7]), std::stoul(m[3]));
    // Node definitions and surviving graphs of the 1.38.10 and 1.39.5 libraries,
    // with cmlib's 20 colour transforms.
    const bool v139 = readText(fs::path(OSLGEN_LIBRARIES_DIR) / "stdlib" / "stdlib_defs.mtlx")
                          .find("version=\"1.39\"") != std::string::npos;
    EXPECT_EQ(std::stoul(m[1]) + std::stoul(m[3]), (v139 ? 762u : 726u) + 20u);
    EXPECT_EQ(std::stoul(m[5]), v139 ? 21u : 18u);
    EXPECT_EQ(std::stoul(m[2]), 0u);
}

TEST_F(GeneratorRunTest, QuietPrintsOnlyTheSummary)
{
    ASSERT_EQ(run(quoted(OSLGEN_LIBRARIES_DIR) + " " + quoted(temp.path() / "osl") + " --quiet"), 0);
    EXPECT_EQ(stdoutText.rfind("summary: ", 0), 0u);
    EXPECT_EQ(stdoutText.find('\n'), stdoutText.size() - 1);
}

TEST_F(GeneratorRunTest, CategoryWithoutBodyGetsTheFallback)
{
    const std::string arguments = stdlibArguments(
        "<nodedef name=\"ND_frobnicate_color3\" node=\"frobnicate\">"
        "<input name=\"in\" type=\"color3\" value=\"1, 0, 0\"/>"
        "<output name=\"out\" type=\"color3\"/></nodedef>");
    ASSERT_EQ(run(arguments), 0) << stderrText;
    EXPECT_NE(stdoutText.find("fallback ND_frobnicate_color3 -> frobnicate_color3.osl"), std::string::npos);
    EXPECT_EQ(lastLine(), "summary: 1 covered (1 with fallback bodies), 0 skipped (0 closure or shader "
                          "outputs, 0 expanded by node graphs, 0 outside stdlib and pbrlib, 0 unsupported types)");
    // Like an unsupported operator, the node passes its input through.
    const std::string shader = readText(temp.path() / "osl" / "frobnicate_color3.osl");
    EXPECT_NE(shader.find("output color out = color(0.0, 0.0, 0.0)"), std::string::npos);
    EXPECT_NE(shader.find("    out = in;\n"), std::string::npos);
}

TEST_F(GeneratorRunTest, FallbackWithoutMatchingInputKeepsDefaults)
{
    const std::string arguments = stdlibArguments(
        "<nodedef name=\"ND_frobnicate_vector2\" node=\"frobnicate\">"
        "<input name=\"in\" type=\"float\"/><output name=\"out\" type=\"vector2\"/>"
        "</nodedef>");
    ASSERT_EQ(run(arguments), 0) << stderrText;
    const std::string shader = readText(temp.path() / "osl" / "frobnicate_vector2.osl");
    EXPECT_NE(shader.find("outputs keep their defaults"), std::string::npos);
    EXPECT_EQ(shader.find("\n    out = "), std::string::npos);
    // The struct type still needs the shared include.
    EXPECT_NE(shader.find("#include \"mx_funcs.h\""), std::string::npos);
}

TEST_F(GeneratorRunTest, SubFoldersOtherThanGenoslAreNotRead)
{
    const fs::path libs = temp.path() / "libraries";
    const std::string def = "<materialx><nodedef name=\"ND_NAME\" node=\"constant\">"
                            "<input name=\"value\" type=\"float\"/><output name=\"out\" type=\"float\"/>"
                            "</nodedef></materialx>";
    writeText(libs / "pbrlib" / "extra" / "x.mtlx", std::regex_replace(def, std::regex("NAME"), "hidden"));
    writeText(libs / "stdlib" / "genosl" / "y.mtlx", std::regex_replace(def, std::regex("NAME"), "seen"));
    ASSERT_EQ(run(quoted(libs) + " " + quoted(temp.path() / "osl")), 0) << stderrText;
    EXPECT_EQ(stdoutText.find("ND_hidden"), std::string::npos);
    // genosl is read, but it is not a stdlib or pbrlib definition folder.
    EXPECT_NE(stdoutText.find("skipped  ND_seen: defined in stdlib/genosl"), std::string::npos);
}

TEST_F(GeneratorRunTest, MalformedLibraryFileStopsWithItsName)
{
    const fs::path libs = temp.path() / "libraries";
    writeText(libs / "stdlib" / "broken.mtlx", "<materialx><nodedef name=");
    const fs::path output = temp.path() / "osl";
    EXPECT_EQ(run(quoted(libs) + " " + quoted(output)), 1);
    EXPECT_NE(stderrText.find("broken.mtlx"), std::string::npos) << stderrText;
    EXPECT_FALSE(fs::exists(output));
}

TEST_F(GeneratorRunTest, IllTypedShaderStopsTheRunBeforeWriting)
{
    // An add of a colour and a vector makes a body OSL rejects.
    const std::string arguments = stdlibArguments(
        "<nodedef name=\"ND_add_mixed\" node=\"add\">"
        "<input name=\"in1\" type=\"color3\"/><input name=\"in2\" type=\"vector3\"/>"
        "<output name=\"out\" type=\"color3\"/></nodedef>");
    const fs::path output = temp.path() / "osl";
    EXPECT_EQ(run(arguments), 1);
    EXPECT_NE(stderrText.find("oslgen: ND_add_mixed (add_mixed.osl): mx_add_mixed: mixing colour and "
                              "point-like values in +"),
              std::string::npos)
        << stderrText;
    EXPECT_FALSE(fs::exists(output));
}

TEST_F(GeneratorRunTest, MissingLibrariesAreAnError)
{
    EXPECT_EQ(run(quoted(temp.path() / "nowhere") + " " + quoted(temp.path() / "osl")), 1);
    EXPECT_NE(stderrText.find("no node definitions found under"), std::string::npos);
    EXPECT_EQ(run(""), 2);
    EXPECT_NE(stderrText.find("usage: oslgen"), std::string::npos);
}

TEST_F(GeneratorRunTest, ShadersOfEarlierRunsAreRemovedButOtherFilesStay)
{
    const fs::path output = temp.path() / "osl";
    writeText(output / "retired_float.osl",
              "// MaterialX node definition ND_retired_float, category retired.\n"
              "// Written by oslgen from the data libraries: change the generator, not this file.\n");
    writeText(output / "handmade.osl", "shader handmade () { }\n");
    ASSERT_EQ(run(quoted(OSLGEN_LIBRARIES_DIR) + " " + quoted(output) + " --quiet"), 0);
    EXPECT_FALSE(fs::exists(output / "retired_float.osl"));
    EXPECT_TRUE(fs::exists(output / "handmade.osl"));
}

TEST_F(GeneratorRunTest, RerunReplacesFilesAndLeavesNoTemporaries)
{
    const fs::path output = temp.path() / "osl";
    writeText(output / "image_color3.osl", "stale");
    ASSERT_EQ(run(quoted(OSLGEN_LIBRARIES_DIR) + " " + quoted(output) + " --quiet"), 0);
    EXPECT_EQ(readText(output / "image_color3.osl").rfind("// MaterialX node definition ND_image_color3", 0), 0u);
    // Temporaries are hidden files beside their targets.
    for (const fs::directory_entry& entry : fs::directory_iterator(output))
        EXPECT_NE(entry.path().filename().string().front(), '.') << entry.path();
}

} // namespace
