// What a renderer reads from a document must survive an import and an export:
// each shared example is imported, exported, and both documents are read the
// way MaterialX reads them (libraries merged, definitions flattened). Every
// material is then described input by input, following connections through
// node graphs and interface inputs, with each input's effective binding: the
// node it connects to (described in turn), its stated value, or its
// definition's default or geometric default. Node names do not count.

#include "ExportTestSupport.h"

#include <MaterialXCore/Document.h>
#include <MaterialXFormat/File.h>
#include <MaterialXFormat/XmlIo.h>

#include <QDir>
#include <QFileInfo>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <functional>
#include <map>
#include <set>
#include <sstream>

using namespace exporttest;
namespace mx = MaterialX;

namespace
{
const std::string EXAMPLES = ROZO_EXAMPLES_DIR;

// The standard libraries as a reader merges them, without the graph that would
// expand standard_surface itself.
mx::ConstDocumentPtr libraries()
{
    static mx::DocumentPtr library = [] {
        mx::DocumentPtr doc = mx::createDocument();
        const mx::FilePath root = mx::FilePath(EXAMPLES).getParentPath() / "libraries";
        for (const char* folder : { "stdlib", "pbrlib", "bxdf" })
            for (const mx::FilePath& file : (root / folder).getFilesInDirectory("mtlx"))
            {
                mx::DocumentPtr part = mx::createDocument();
                mx::readFromXmlFile(part, root / folder / file);
                doc->importLibrary(part);
            }
        doc->removeNodeGraph("IMPL_standard_surface_surfaceshader");
        return doc;
    }();
    return library;
}

mx::DocumentPtr readResolved(const std::string& path, std::string* validation = nullptr)
{
    mx::DocumentPtr doc = mx::createDocument();
    mx::readFromXmlFile(doc, path);
    doc->importLibrary(libraries());
    if (validation)
        doc->validate(validation);
    // Nodes of the document's own definitions expand, wherever they are; the
    // standard nodes are what both sides describe, not what they expand to.
    const mx::NodePredicate ownDefinition = [](const mx::NodePtr& node) {
        mx::NodeDefPtr definition = node->getNodeDef();
        return definition && !libraries()->getNodeDef(definition->getName());
    };
    doc->flattenSubgraphs(mx::EMPTY_STRING, ownDefinition);
    for (const mx::NodeGraphPtr& graph : doc->getNodeGraphs())
        graph->flattenSubgraphs(mx::EMPTY_STRING, ownDefinition);
    return doc;
}

// One line per input reached from a material, keyed by the path of input names
// that leads to it: "surfaceshader/base_color/in1 = ...".
// Paths whose binding is their definition's default are marked as unstated.
struct Meaning
{
    std::map<std::string, std::string> text;
    std::set<std::string> unstated;
};

class MeaningReader
{
  public:
    explicit MeaningReader(const std::string& documentFolder) :
        folder(documentFolder) {}

    Meaning material(const mx::NodePtr& material)
    {
        Meaning meaning;
        out = &meaning;
        describeNode(material, "", "");
        return meaning;
    }

  private:
    void describeNode(const mx::NodePtr& node, const std::string& outputName, const std::string& path)
    {
        out->text[path + "."] = node->getCategory() + " " + node->getType() + (outputName.empty() ? "" : " " + outputName);
        if (onPath.size() > 64 || !onPath.insert(node.get()).second)
        {
            out->text[path + "."] += " (loop)";
            return;
        }
        mx::NodeDefPtr definition = node->getNodeDef();
        std::vector<std::string> names;
        if (definition)
            for (const mx::InputPtr& input : definition->getActiveInputs())
                names.push_back(input->getName());
        for (const mx::InputPtr& input : node->getInputs())
            if (std::find(names.begin(), names.end(), input->getName()) == names.end())
                names.push_back(input->getName());
        for (const std::string& name : names)
        {
            const std::string inputPath = (path.empty() ? "" : path + "/") + name;
            mx::InputPtr input = node->getInput(name);
            if (input)
                describeBinding(input, node->getParent(), inputPath);
            else
                describeDefault(definition->getActiveInput(name), inputPath);
        }
        onPath.erase(node.get());
    }

    void describeDefault(const mx::InputPtr& declared, const std::string& path)
    {
        out->unstated.insert(path);
        if (declared->hasAttribute("defaultgeomprop"))
            out->text[path] = "geometry " + declared->getAttribute("defaultgeomprop");
        else
            out->text[path] = valueText(declared, declared);
    }

    void describeBinding(mx::InputPtr input, mx::ElementPtr scope, const std::string& path)
    {
        // An input bound to its graph's interface takes the graph input's binding.
        for (int hops = 0; input->hasInterfaceName() && hops < 64; ++hops)
        {
            mx::InputPtr graphInput = input->getInterfaceInput();
            if (!graphInput)
                break;
            input = graphInput;
            scope = scope->getParent();
        }
        if (input->hasNodeName())
        {
            mx::NodePtr upstream = scope->getChildOfType<mx::Node>(input->getNodeName());
            if (!upstream)
            {
                out->text[path] = "missing node";
                return;
            }
            describeNode(upstream, input->getOutputString(), path);
            return;
        }
        if (input->hasNodeGraphString())
        {
            mx::NodeGraphPtr graph = input->getDocument()->getNodeGraph(input->getNodeGraphString());
            mx::OutputPtr output = graph ? (input->getOutputString().empty() ? (graph->getOutputs().empty() ? nullptr : graph->getOutputs()[0])
                                                                             : graph->getOutput(input->getOutputString()))
                                         : nullptr;
            mx::NodePtr upstream = output && output->hasNodeName() ? graph->getNode(output->getNodeName()) : nullptr;
            if (!upstream)
            {
                out->text[path] = "missing graph output";
                return;
            }
            describeNode(upstream, output->getOutputString(), path);
            return;
        }
        mx::NodePtr node = input->getParent()->asA<mx::Node>();
        mx::NodeDefPtr definition = node ? node->getNodeDef() : nullptr;
        mx::InputPtr declared = definition ? definition->getActiveInput(input->getName()) : nullptr;
        if (input->hasValueString())
            out->text[path] = valueText(input, declared ? declared : input);
        else if (declared)
            describeDefault(declared, path);
        else
            out->text[path] = "nothing";
    }

    // Values as numbers where they are numbers, file names made absolute.
    std::string valueText(const mx::InputPtr& input, const mx::InputPtr& declared)
    {
        const std::string type = declared->getType();
        std::string text = input->getResolvedValueString();
        if (type == "filename")
        {
            // A file that is not there keeps the text the document gives it.
            if (!text.empty() && !mx::FilePath(text).isAbsolute())
            {
                const QString beside = QDir::cleanPath(QString::fromStdString(folder + "/" + text));
                if (QFileInfo::exists(beside))
                    text = beside.toStdString();
            }
            return "file " + text;
        }
        return type + " " + text;
    }

    std::string folder;
    Meaning* out = nullptr;
    std::set<const mx::Element*> onPath;
};

// The differences the host's material model makes by design. `path` starts at
// the material's "surfaceshader" input.
bool madeOnPurpose(const std::string& path, bool sourceUnstated, const std::string& exported)
{
    static const std::string shader = "surfaceshader/";
    if (path.compare(0, shader.size(), shader) != 0)
        return false;
    const std::string rest = path.substr(shader.size());
    const std::string input = rest.substr(0, rest.find('/'));
    const bool topLevel = rest.find('/') == std::string::npos;
    // The strengths of a normalmap and of a heighttonormal behind it become one
    // bump amount; their product is compared on its own.
    if ((input == "normal" || input == "coat_normal") && rest.size() > 6 && rest.compare(rest.size() - 6, 6, "/scale") == 0)
        return true;

    // standard_surface inputs that have no Physical Material parameter.
    static const std::set<std::string> carried = {
        "base", "base_color", "diffuse_roughness", "specular", "specular_color", "specular_roughness", "specular_IOR",
        "specular_rotation", "metalness", "transmission", "transmission_color", "transmission_depth", "thin_walled",
        "subsurface", "subsurface_color", "subsurface_radius", "subsurface_scale", "emission", "emission_color",
        "opacity", "coat", "coat_color", "coat_roughness", "coat_IOR", "coat_affect_color", "coat_affect_roughness",
        "normal", "coat_normal"
    };
    if (!carried.count(input))
        return true;
    // Import and export name these three differently, so a stated value does
    // not come back.
    static const std::set<std::string> ownNamePerDirection = { "subsurface_scale", "diffuse_roughness",
                                                               "specular_rotation" };
    if (ownNamePerDirection.count(input))
        return topLevel || exported == "(absent)";
    // An input the source leaves to its definition gets the host's default.
    static const std::map<std::string, std::string> hostDefaults = {
        { "base_color", "color3 0.5, 0.5, 0.5" }, { "specular_IOR", "float 1.52" }, { "coat_IOR", "float 1.52" }, { "subsurface_radius", "color3 1, 0.5, 0.25" }, { "coat_roughness", "float 0" }, { "specular_roughness", "float 0" }
    };
    const auto host = hostDefaults.find(input);
    return topLevel && sourceUnstated && host != hostDefaults.end() && sameWithinSixDigits(host->second, exported);
}

// The product of the strengths on the way from a normal input to its source.
double strength(const Meaning& meaning, const std::string& input)
{
    double product = 1.0;
    const std::string start = "surfaceshader/" + input + "/";
    for (const auto& [path, text] : meaning.text)
        if (path.compare(0, start.size(), start) == 0 && path.size() > 6 && path.compare(path.size() - 6, 6, "/scale") == 0)
            product *= std::strtod(text.substr(text.find(' ') + 1).c_str(), nullptr);
    return product;
}

std::vector<std::string> exampleDocuments()
{
    const std::set<std::string> madeToFail = { "bad_refs.mtlx", "bad_types.mtlx", "bad_unknown_node.mtlx",
                                               "cycle.mtlx", "malformed.mtlx" };
    std::vector<std::string> names;
    for (const QString& name : QDir(QString::fromStdString(EXAMPLES)).entryList({ "*.mtlx" }, QDir::Files, QDir::Name))
        if (!madeToFail.count(name.toStdString()))
            names.push_back(name.toStdString());
    return names;
}

class ExampleMeaning : public ExportTest, public ::testing::WithParamInterface<std::string>
{
};
} // namespace

TEST_P(ExampleMeaning, ExportedDocumentValidatesAndMeansWhatTheSourceMeant)
{
    const std::string source = EXAMPLES + "/" + GetParam();
    std::vector<Mtl*> imported;
    ASSERT_TRUE(util->importMaterials(source, imported)) << log();
    Tab<Mtl*> table;
    for (Mtl* m : imported)
        table.Append(m);
    const QString exported = path("scene.mtlx");
    ASSERT_TRUE(util->exportFile(WStr::FromQString(exported), table)) << log();

    std::string validation;
    mx::DocumentPtr before = readResolved(source);
    mx::DocumentPtr after = readResolved(exported.toStdString(), &validation);
    EXPECT_EQ(validation, "") << written();

    MeaningReader sourceReader(EXAMPLES);
    MeaningReader exportReader(folder->path().toStdString());
    std::ostringstream differences;
    for (const mx::NodePtr& material : before->getMaterialNodes())
    {
        mx::NodePtr again = after->getNode(material->getName());
        if (!again)
        {
            differences << material->getName() << ": missing from the export\n";
            continue;
        }
        const Meaning was = sourceReader.material(material);
        const Meaning is = exportReader.material(again);
        std::set<std::string> paths;
        for (const auto& [key, text] : was.text)
            paths.insert(key);
        for (const auto& [key, text] : is.text)
            paths.insert(key);
        for (const std::string& key : paths)
        {
            const auto a = was.text.find(key);
            const auto b = is.text.find(key);
            const std::string left = a == was.text.end() ? "(absent)" : a->second;
            const std::string right = b == is.text.end() ? "(absent)" : b->second;
            if (!sameWithinSixDigits(left, right) && !madeOnPurpose(key, was.unstated.count(key) > 0, right))
                differences << material->getName() << " " << key << ": " << left << " -> " << right << "\n";
        }
        for (const char* input : { "normal", "coat_normal" })
            if (std::fabs(strength(was, input) - strength(is, input)) > 1e-5)
                differences << material->getName() << " " << input << " strength: " << strength(was, input) << " -> "
                            << strength(is, input) << "\n";
    }
    EXPECT_EQ(differences.str(), "") << written();
}

INSTANTIATE_TEST_SUITE_P(Examples, ExampleMeaning, ::testing::ValuesIn(exampleDocuments()),
                         exampleTestName);

TEST_P(ExampleMeaning, TwoExportsOfTheSameSceneAreIdentical)
{
    std::vector<Mtl*> imported;
    ASSERT_TRUE(util->importMaterials(EXAMPLES + "/" + GetParam(), imported)) << log();
    Tab<Mtl*> table;
    for (Mtl* m : imported)
        table.Append(m);
    ASSERT_TRUE(util->exportFile(WStr::FromQString(path("first.mtlx")), table)) << log();
    ASSERT_TRUE(util->exportFile(WStr::FromQString(path("second.mtlx")), table)) << log();
    EXPECT_EQ(written("first.mtlx"), written("second.mtlx"));
}

using MaterialOrder = ExportTest;

TEST_F(MaterialOrder, MaterialsAreWrittenInTheOrderGivenEachOnce)
{
    Mtl* b = physicalMaterial(L"Bravo");
    Mtl* a = physicalMaterial(L"Alpha");
    Mtl* c = physicalMaterial(L"Charlie");
    ASSERT_TRUE(exportMaterials({ c, b, a, b, c })) << log();
    const std::string text = written();
    const auto first = text.find("name=\"Charlie\"");
    const auto second = text.find("name=\"Bravo\"");
    const auto third = text.find("name=\"Alpha\"");
    ASSERT_NE(third, std::string::npos) << text;
    EXPECT_LT(first, second);
    EXPECT_LT(second, third);
    EXPECT_EQ(text.find("name=\"Bravo\"", second + 1), std::string::npos) << text;
}
