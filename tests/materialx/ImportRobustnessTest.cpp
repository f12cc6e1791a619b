// Damaged and randomly rewired versions of the example documents go through
// the import steps; each must either import or fail with a library
// exception, never crash, hang or throw anything else.
#include <MaterialXCore/Document.h>
#include <MaterialXFormat/File.h>
#include <MaterialXFormat/Util.h>
#include <MaterialXFormat/XmlIo.h>

#include "mx_test_support.h"

#include "import/StandardLibraries.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>

namespace mx = MaterialX;

namespace
{

const mx::FilePath DATA_DIR(ROZO_MATERIALX_DATA_DIR);

class ImportRobustness : public ::testing::Test
{
  protected:
    static void SetUpTestSuite()
    {
        // The plug-in's library document.
        _library = rozo::loadLibraryFolders(rozo::standardLibraryFolders(), mx::FileSearchPath(DATA_DIR));
        rozo::pruneLibraryDocument(_library);
        const mx::FilePath examples = DATA_DIR / "examples";
        for (const mx::FilePath& file : examples.getFilesInDirectory("mtlx"))
            _texts.push_back(mx::readFile(examples / file));
        std::sort(_texts.begin(), _texts.end());
    }
    static void TearDownTestSuite()
    {
        _library.reset();
        _texts.clear();
    }

    // The import steps on an already read document.
    static void importSteps(const mx::DocumentPtr& doc)
    {
        rozo::removeStandardSurfaceGraphs(doc);
        doc->importLibrary(_library);
        rozo::removeStandardSurfaceGraphs(doc);
        std::string message;
        doc->validate(&message);
        doc->flattenSubgraphs();
        message.clear();
        doc->validate(&message);
        for (mx::NodePtr material : doc->getMaterialNodes())
            for (mx::InputPtr input : material->getInputs())
                doc->getNode(input->getNodeName());
    }

    // Runs fn; a library exception with a message is an acceptable outcome.
    template <class F> static void expectImportOrLibraryError(F fn, const std::string& what)
    {
        try
        {
            fn();
        }
        catch (const mx::Exception& e)
        {
            EXPECT_STRNE(e.what(), "") << what;
        }
        catch (const std::exception& e)
        {
            ADD_FAILURE() << "non-library exception \"" << e.what() << "\" for " << what;
        }
    }

    static mx::DocumentPtr _library;
    static std::vector<std::string> _texts;
};

mx::DocumentPtr ImportRobustness::_library;
std::vector<std::string> ImportRobustness::_texts;

TEST_F(ImportRobustness, DamagedTextIsReadOrRejected)
{
    ASSERT_FALSE(_texts.empty());
    std::mt19937 rng(11);
    const char noise[] = "<>/=\"' &;\xff\x80x";
    for (int round = 0; round < 150; round++)
    {
        std::string text = _texts[rng() % _texts.size()];
        switch (round % 3)
        {
            case 0:
                text.resize(rng() % (text.size() + 1));
                break;
            case 1:
                for (int i = 0; i < 4; i++)
                    text[rng() % text.size()] = noise[rng() % (sizeof(noise) - 1)];
                break;
            default:
            {
                // A copied slice lands elsewhere: duplicated or misplaced elements.
                const size_t from = rng() % text.size();
                const size_t len = rng() % std::min<size_t>(400, text.size() - from);
                text.insert(rng() % text.size(), text.substr(from, len));
                break;
            }
        }
        expectImportOrLibraryError([&] {
            mx::DocumentPtr doc = mx::createDocument();
            mx::readFromXmlString(doc, text);
            importSteps(doc);
        },
                                   "damaged text, round " + std::to_string(round));
    }
}

TEST_F(ImportRobustness, RandomlyRewiredConnectionsNeverBreakTheImport)
{
    std::mt19937 rng(5);
    const std::vector<std::string> types = { "float", "color3", "vector3", "surfaceshader", "material", "", "nosuch" };
    for (int round = 0; round < 40; round++)
    {
        const std::string& text = _texts[rng() % _texts.size()];
        mx::DocumentPtr doc = mx::createDocument();
        try
        {
            mx::readFromXmlString(doc, text);
        }
        catch (const mx::Exception&)
        {
            continue; // the malformed example
        }

        // Names that connections can point at, in every scope.
        std::vector<mx::ElementPtr> elements = doc->traverseTree();
        std::vector<std::string> names = { "", "missing" };
        std::vector<mx::InputPtr> inputs;
        std::vector<mx::OutputPtr> outputs;
        for (const mx::ElementPtr& elem : elements)
        {
            names.push_back(elem->getName());
            if (mx::InputPtr input = elem->asA<mx::Input>())
                inputs.push_back(input);
            if (mx::OutputPtr output = elem->asA<mx::Output>())
                outputs.push_back(output);
        }
        const auto pick = [&](const std::vector<std::string>& from) { return from[rng() % from.size()]; };
        for (int change = 0; change < 6 && !inputs.empty(); change++)
        {
            mx::InputPtr input = inputs[rng() % inputs.size()];
            switch (rng() % 6)
            {
                case 0:
                    input->setAttribute("nodename", pick(names));
                    break;
                case 1:
                    input->setAttribute("interfacename", pick(names));
                    break;
                case 2:
                    input->setAttribute("nodegraph", pick(names));
                    input->setAttribute("output", pick(names));
                    break;
                case 3:
                    input->setAttribute("type", pick(types));
                    break;
                case 4:
                    input->setAttribute("value", pick(names));
                    break;
                default:
                    if (!outputs.empty())
                        outputs[rng() % outputs.size()]->setAttribute("nodename", pick(names));
                    break;
            }
        }
        expectImportOrLibraryError([&] { importSteps(doc); }, "rewired document, round " + std::to_string(round));
    }
}

// Random user definitions whose graphs use standard nodes and each other,
// sometimes themselves: the import either flattens them or refuses a graph
// that contains itself, naming it.
TEST_F(ImportRobustness, RandomUserGraphsFlattenOrAreRefused)
{
    std::mt19937 rng(3);
    const char* types[] = { "color3", "float", "vector3" };
    const char* standardNodes[] = { "multiply", "add", "mix", "image", "constant" };
    const auto pick = [&](int n) { return std::to_string(rng() % n); };
    int refused = 0;
    for (int round = 0; round < 30; round++)
    {
        std::string xml = "<?xml version=\"1.0\"?>\n<materialx version=\"1.38\">\n";
        const int defs = 1 + rng() % 4;
        for (int i = 0; i < defs; i++)
        {
            const std::string type = types[rng() % 3];
            const std::string id = std::to_string(i);
            xml += "<nodedef name=\"ND_u" + id + "\" node=\"u" + id + "\">\n<input name=\"in\" type=\"" + type +
                   "\" value=\"" + (type == "float" ? "1" : "1, 1, 1") + "\" />\n<output name=\"out\" type=\"" + type +
                   "\" />\n</nodedef>\n";
            if (rng() % 5 == 0)
                continue; // a definition without implementation
            xml += "<nodegraph name=\"NG_u" + id + "\" nodedef=\"ND_u" + id + "\">\n";
            const int nodes = 1 + rng() % 4;
            for (int k = 0; k < nodes; k++)
            {
                const std::string category = rng() % 2 ? "u" + pick(defs) : standardNodes[rng() % 5];
                const std::string nodeType = types[rng() % 3];
                xml += "<" + category + " name=\"n" + std::to_string(k) + "\" type=\"" + nodeType + "\">\n";
                const char* inputNames[] = { "in", "in1", "in2" };
                for (int q = 0, n = rng() % 3; q < n; q++)
                {
                    const std::string head = "<input name=\"" + std::string(inputNames[q]) + "\" type=\"";
                    switch (rng() % 4)
                    {
                        case 0:
                            xml += head + nodeType + "\" interfacename=\"" + (rng() % 4 ? "in" : "nope") + "\" />\n";
                            break;
                        case 1:
                            xml += head + nodeType + "\" nodename=\"n" + pick(nodes) + "\" />\n";
                            break;
                        case 2:
                            xml += head + nodeType + "\" value=\"0.5\" />\n";
                            break;
                        default:
                            xml += head + types[rng() % 3] + "\" />\n";
                            break;
                    }
                }
                xml += "</" + category + ">\n";
            }
            xml += "<output name=\"out\" type=\"" + type + "\" nodename=\"n" + pick(nodes + 1) + "\" />\n</nodegraph>\n";
        }
        const int tops = 1 + rng() % 4;
        for (int k = 0; k < tops; k++)
        {
            const std::string category = "u" + pick(defs);
            xml += "<" + category + " name=\"t" + std::to_string(k) + "\" type=\"" + types[rng() % 3] + "\">\n";
            if (rng() % 2)
                xml += "<input name=\"in\" type=\"color3\" nodename=\"t" + pick(tops) + "\" />\n";
            xml += "</" + category + ">\n";
        }
        xml += "<standard_surface name=\"S\" type=\"surfaceshader\">\n"
               "<input name=\"base_color\" type=\"color3\" nodename=\"t0\" />\n</standard_surface>\n"
               "<surfacematerial name=\"M\" type=\"material\">\n"
               "<input name=\"surfaceshader\" type=\"surfaceshader\" nodename=\"S\" />\n</surfacematerial>\n</materialx>\n";

        mx::DocumentPtr doc = mx::createDocument();
        mx::readFromXmlString(doc, xml);
        try
        {
            importSteps(doc);
            mx::writeToXmlString(doc);
        }
        catch (const mx::Exception& e)
        {
            refused++;
            EXPECT_NE(std::string(e.what()).find("NG_u"), std::string::npos) << e.what() << "\n"
                                                                             << xml;
        }
        catch (const std::exception& e)
        {
            ADD_FAILURE() << "non-library exception \"" << e.what() << "\" for\n"
                          << xml;
        }
    }
    EXPECT_GT(refused, 0); // the rounds include graphs that contain themselves
    EXPECT_LT(refused, 30);
}

} // anonymous namespace
