// Folding the constant part of material graphs into values, on the 1.39
// standard library definitions.

#include "import/ConstantFolding.h"
#include "import/StandardLibraries.h"

#include <MaterialXCore/Document.h>
#include <MaterialXFormat/XmlIo.h>

#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <iostream>
#include <set>
#include <string>

namespace rozo::test
{
namespace
{
const char* const NOT_FOLDED = "(not folded)";

class ConstantFolding : public ::testing::Test
{
  protected:
    static void SetUpTestSuite()
    {
        // The translation graphs sit below bxdf, which the import reads without sub-folders.
        mx::FilePathVec folders = standardLibraryFolders();
        folders.push_back(mx::FilePath("libraries/bxdf/translation"));
        libraries = loadLibraryFolders(folders, mx::FileSearchPath(ROZO_MATERIALX_V139_DIR));
        pruneLibraryDocument(libraries);
    }
    static void TearDownTestSuite() { libraries.reset(); }

    /// A 1.39 document holding `body`, with the libraries merged in.
    static mx::DocumentPtr document(const std::string& body)
    {
        mx::DocumentPtr doc = mx::createDocument();
        mx::readFromXmlString(doc, "<?xml version=\"1.0\"?>\n<materialx version=\"1.39\">\n" + body + "</materialx>\n");
        doc->importLibrary(libraries);
        return doc;
    }

    /// What the named node's output folds to, as MaterialX writes it.
    static std::string folded(const mx::DocumentPtr& doc, const std::string& nodeName, const std::string& output = "")
    {
        mx::NodePtr node = doc->getNode(nodeName);
        EXPECT_TRUE(node) << "no node " << nodeName;
        mx::ValuePtr value = evaluateConstantOutput(node, output);
        return value ? value->getValueString() + " (" + value->getTypeString() + ")" : NOT_FOLDED;
    }
    static std::string folded(const std::string& body, const std::string& nodeName = "n", const std::string& output = "")
    {
        return folded(document(body), nodeName, output);
    }

    template <class T> static std::string expected(const T& data)
    {
        mx::ValuePtr value = mx::Value::createValue(data);
        return value->getValueString() + " (" + value->getTypeString() + ")";
    }

    static mx::DocumentPtr libraries;
};
mx::DocumentPtr ConstantFolding::libraries;

TEST_F(ConstantFolding, ArithmeticBroadcastsFloatOperandsAndComputesInFloat)
{
    // A float in2 spreads over every channel (multiply_color3FA).
    EXPECT_EQ(folded(R"(<multiply name="n" type="color3"><input name="in1" type="color3" value="0.2, 0.4, 0.6" />
                        <input name="in2" type="float" value="0.5" /></multiply>)"),
              expected(mx::Color3(0.2f * 0.5f, 0.4f * 0.5f, 0.6f * 0.5f)));
    // Unstated inputs take the definition's default: in2 of add is zero.
    EXPECT_EQ(folded(R"(<add name="n" type="vector3"><input name="in1" type="vector3" value="1, 2, 3" /></add>)"),
              expected(mx::Vector3(1, 2, 3)));
    EXPECT_EQ(folded(R"(<subtract name="n" type="integer"><input name="in1" type="integer" value="7" />
                        <input name="in2" type="integer" value="10" /></subtract>)"),
              expected(-3));
    EXPECT_EQ(folded(R"(<divide name="n" type="float"><input name="in1" type="float" value="1" />
                        <input name="in2" type="float" value="3" /></divide>)"),
              expected(1.0f / 3.0f));
    // The shader's mod: the result takes the divisor's sign.
    EXPECT_EQ(folded(R"(<modulo name="n" type="float"><input name="in1" type="float" value="-1" />
                        <input name="in2" type="float" value="3" /></modulo>)"),
              expected(2.0f));
    EXPECT_EQ(folded(R"(<invert name="n" type="color3"><input name="in" type="color3" value="0.5, 1, 1.5" />
                        <input name="amount" type="float" value="2" /></invert>)"),
              expected(mx::Color3(1.5f, 1.0f, 0.5f)));
    EXPECT_EQ(folded(R"(<clamp name="n" type="vector2"><input name="in" type="vector2" value="-1, 0.25" /></clamp>)"),
              expected(mx::Vector2(0.0f, 0.25f)));
    EXPECT_EQ(folded(R"(<remap name="n" type="float"><input name="in" type="float" value="0.5" />
                        <input name="outlow" type="float" value="2" /><input name="outhigh" type="float" value="4" /></remap>)"),
              expected(3.0f));
    EXPECT_EQ(folded(R"(<smoothstep name="n" type="float"><input name="in" type="float" value="0.25" /></smoothstep>)"),
              expected(0.15625f));
    EXPECT_EQ(folded(R"(<safepower name="n" type="float"><input name="in1" type="float" value="-4" />
                        <input name="in2" type="float" value="0.5" /></safepower>)"),
              expected(-2.0f));
    EXPECT_EQ(folded(R"(<atan2 name="n" type="float"><input name="iny" type="float" value="1" />
                        <input name="inx" type="float" value="0" /></atan2>)"),
              expected(std::atan2(1.0f, 0.0f)));
    EXPECT_EQ(folded(R"(<floor name="n" type="integer"><input name="in" type="float" value="-2.5" /></floor>)"), expected(-3));
    EXPECT_EQ(folded(R"(<sign name="n" type="color3"><input name="in" type="color3" value="-2, 0, 3" /></sign>)"),
              expected(mx::Color3(-1, 0, 1)));

    // The blend rounds as a float shader does, not as a double would.
    const float bg = 0.1f, fg = 0.7f, amount = 0.3f;
    mx::ValuePtr mixed = evaluateConstantOutput(document(R"(<mix name="n" type="float">
          <input name="bg" type="float" value="0.1" /><input name="fg" type="float" value="0.7" />
          <input name="mix" type="float" value="0.3" /></mix>)")
                                                    ->getNode("n"));
    ASSERT_TRUE(mixed);
    EXPECT_EQ(mixed->asA<float>(), bg * (1.0f - amount) + fg * amount);
}

TEST_F(ConstantFolding, VectorNodesAndLuminance)
{
    EXPECT_EQ(folded(R"(<magnitude name="n" type="float"><input name="in" type="vector3" value="3, 4, 0" /></magnitude>)"),
              expected(5.0f));
    EXPECT_EQ(folded(R"(<normalize name="n" type="vector2"><input name="in" type="vector2" value="0, -2" /></normalize>)"),
              expected(mx::Vector2(0, -1)));
    EXPECT_EQ(folded(R"(<crossproduct name="n" type="vector3"><input name="in1" type="vector3" value="1, 0, 0" />
                        <input name="in2" type="vector3" value="0, 1, 0" /></crossproduct>)"),
              expected(mx::Vector3(0, 0, 1)));
    EXPECT_EQ(folded(R"(<dotproduct name="n" type="float"><input name="in1" type="vector4" value="1, 2, 3, 4" />
                        <input name="in2" type="vector4" value="1, 1, 1, 1" /></dotproduct>)"),
              expected(10.0f));
    // The library's default coefficients; alpha passes through.
    const float red = 0.2722287f;
    EXPECT_EQ(folded(R"(<luminance name="n" type="color4"><input name="in" type="color4" value="1, 0, 0, 0.5" /></luminance>)"),
              expected(mx::Color4(red, red, red, 0.5f)));
    // A zero vector has no direction: left to the shader.
    EXPECT_EQ(folded(R"(<normalize name="n" type="vector3" />)"), NOT_FOLDED);
}

TEST_F(ConstantFolding, MicrofacetRoughness)
{
    EXPECT_EQ(folded(R"(<roughness_anisotropy name="n" type="vector2"><input name="roughness" type="float" value="0.5" /></roughness_anisotropy>)"),
              expected(mx::Vector2(0.25f, 0.25f)));
    const float aspect = std::sqrt(1.0f - 0.5f);
    EXPECT_EQ(folded(R"(<roughness_anisotropy name="n" type="vector2"><input name="roughness" type="float" value="0.5" />
                        <input name="anisotropy" type="float" value="0.5" /></roughness_anisotropy>)"),
              expected(mx::Vector2(0.25f / aspect, 0.25f * aspect)));
    EXPECT_EQ(folded(R"(<roughness_dual name="n" type="vector2"><input name="roughness" type="vector2" value="0, -1" /></roughness_dual>)"),
              expected(mx::Vector2(1e-8f, 1e-8f)));
}

TEST_F(ConstantFolding, ConversionsAndChannels)
{
    EXPECT_EQ(folded(R"(<convert name="n" type="color3"><input name="in" type="float" value="0.25" /></convert>)"),
              expected(mx::Color3(0.25f)));
    EXPECT_EQ(folded(R"(<convert name="n" type="color4"><input name="in" type="color3" value="0.1, 0.2, 0.3" /></convert>)"),
              expected(mx::Color4(0.1f, 0.2f, 0.3f, 1.0f)));
    EXPECT_EQ(folded(R"(<convert name="n" type="vector4"><input name="in" type="vector2" value="1, 2" /></convert>)"),
              expected(mx::Vector4(1, 2, 0, 1)));
    EXPECT_EQ(folded(R"(<convert name="n" type="vector3"><input name="in" type="color4" value="1, 2, 3, 4" /></convert>)"),
              expected(mx::Vector3(1, 2, 3)));
    EXPECT_EQ(folded(R"(<convert name="n" type="float"><input name="in" type="boolean" value="true" /></convert>)"),
              expected(1.0f));
    EXPECT_EQ(folded(R"(<convert name="n" type="boolean"><input name="in" type="integer" value="-4" /></convert>)"),
              expected(true));
    EXPECT_EQ(folded(R"(<convert name="n" type="integer"><input name="in" type="boolean" value="true" /></convert>)"),
              expected(1));
    EXPECT_EQ(folded(R"(<convert name="n" type="vector3"><input name="in" type="integer" value="3" /></convert>)"),
              expected(mx::Vector3(3)));
    EXPECT_EQ(folded(R"(<extract name="n" type="float"><input name="in" type="color3" value="1, 2, 3" />
                        <input name="index" type="integer" value="2" /></extract>)"),
              expected(3.0f));
    EXPECT_EQ(folded(R"(<extract name="n" type="float"><input name="in" type="color3" value="1, 2, 3" />
                        <input name="index" type="integer" value="3" /></extract>)"),
              NOT_FOLDED);
    EXPECT_EQ(folded(R"(<combine2 name="n" type="color4"><input name="in1" type="color3" value="1, 2, 3" />
                        <input name="in2" type="float" value="4" /></combine2>)"),
              expected(mx::Color4(1, 2, 3, 4)));

    mx::DocumentPtr doc = document(R"(<separate4 name="s" type="multioutput"><input name="in" type="vector4" value="1, 2, 3, 4" /></separate4>
        <combine3 name="n" type="color3"><input name="in1" type="float" nodename="s" output="outw" />
          <input name="in2" type="float" nodename="s" output="outy" /></combine3>)");
    EXPECT_EQ(folded(doc, "s", "outz"), expected(3.0f));
    EXPECT_EQ(folded(doc, "s"), NOT_FOLDED) << "a multi-output node has no only output";
    EXPECT_EQ(folded(doc, "n"), expected(mx::Color3(4, 2, 0)));
}

TEST_F(ConstantFolding, ComparisonsSwitchAndBooleans)
{
    const std::string select = R"(<input name="in1" type="color3" value="1, 1, 1" /><input name="in2" type="color3" value="0, 0, 0" />)";
    EXPECT_EQ(folded(R"(<ifgreater name="n" type="color3"><input name="value1" type="float" value="0.5" />
                        <input name="value2" type="float" value="0.5" />)" +
                     select + "</ifgreater>"),
              expected(mx::Color3(0.0f)));
    EXPECT_EQ(folded(R"(<ifgreatereq name="n" type="color3"><input name="value1" type="float" value="0.5" />
                        <input name="value2" type="float" value="0.5" />)" +
                     select + "</ifgreatereq>"),
              expected(mx::Color3(1.0f)));
    EXPECT_EQ(folded(R"(<ifequal name="n" type="float"><input name="value1" type="integer" value="2" />
                        <input name="value2" type="integer" value="2" /><input name="in1" type="float" value="5" /></ifequal>)"),
              expected(5.0f));
    EXPECT_EQ(folded(R"(<ifequal name="n" type="float"><input name="value1" type="boolean" value="true" />
                        <input name="in1" type="float" value="5" /><input name="in2" type="float" value="6" /></ifequal>)"),
              expected(6.0f));
    EXPECT_EQ(folded(R"(<ifgreater name="n" type="boolean"><input name="value1" type="float" value="2" /></ifgreater>)"),
              expected(true));

    const std::string inputs = R"(<input name="in1" type="float" value="1" /><input name="in2" type="float" value="2" />
                                  <input name="in3" type="float" value="3" />)";
    EXPECT_EQ(folded(R"(<switch name="n" type="float"><input name="which" type="float" value="2.5" />)" + inputs + "</switch>"),
              expected(3.0f));
    EXPECT_EQ(folded(R"(<switch name="n" type="float"><input name="which" type="integer" value="0" />)" + inputs + "</switch>"),
              expected(1.0f));
    EXPECT_EQ(folded(R"(<switch name="n" type="float"><input name="which" type="integer" value="12" />)" + inputs + "</switch>"),
              expected(0.0f));

    // Only the chosen branch counts: the other may be textured or undefined.
    const std::string branches = R"(<image name="tex" type="float" />
        <divide name="infinite" type="float"><input name="in1" type="float" value="20" /><input name="in2" type="float" value="0" /></divide>)";
    EXPECT_EQ(folded(branches + R"(<ifequal name="n" type="float"><input name="in1" type="float" value="4" />
                                   <input name="in2" type="float" nodename="infinite" /></ifequal>)"),
              expected(4.0f));
    EXPECT_EQ(folded(branches + R"(<ifgreater name="n" type="float"><input name="value1" type="float" value="0" />
                                   <input name="in1" type="float" value="4" /><input name="in2" type="float" nodename="tex" /></ifgreater>)"),
              NOT_FOLDED);
    EXPECT_EQ(folded(branches + R"(<switch name="n" type="float"><input name="which" type="integer" value="1" />
                                   <input name="in1" type="float" nodename="tex" /><input name="in2" type="float" value="7" /></switch>)"),
              expected(7.0f));
    EXPECT_EQ(folded(branches + R"(<ifgreater name="n" type="float"><input name="value1" type="float" nodename="tex" />
                                   <input name="in1" type="float" value="4" /><input name="in2" type="float" value="4" /></ifgreater>)"),
              NOT_FOLDED);

    mx::DocumentPtr doc = document(R"(
        <and name="a" type="boolean"><input name="in1" type="boolean" value="true" /><input name="in2" type="boolean" value="false" /></and>
        <or name="o" type="boolean"><input name="in1" type="boolean" value="true" /><input name="in2" type="boolean" nodename="a" /></or>
        <xor name="x" type="boolean"><input name="in1" type="boolean" nodename="o" /><input name="in2" type="boolean" value="true" /></xor>
        <not name="n" type="boolean"><input name="in" type="boolean" nodename="x" /></not>)");
    EXPECT_EQ(folded(doc, "a"), expected(false));
    EXPECT_EQ(folded(doc, "x"), expected(false));
    EXPECT_EQ(folded(doc, "n"), expected(true));
}

TEST_F(ConstantFolding, FollowsNodeGraphInterfacesAndOutputs)
{
    mx::DocumentPtr doc = document(R"(
        <constant name="k" type="float"><input name="value" type="float" value="3" /></constant>
        <image name="tex" type="float" />
        <nodegraph name="G">
          <input name="scale" type="float" value="2" />
          <input name="offset" type="float" nodename="k" />
          <input name="sampled" type="float" nodename="tex" />
          <multiply name="scaled" type="float"><input name="in1" type="float" value="5" />
            <input name="in2" type="float" interfacename="scale" /></multiply>
          <add name="shifted" type="float"><input name="in1" type="float" nodename="scaled" />
            <input name="in2" type="float" interfacename="offset" /></add>
          <add name="textured" type="float"><input name="in1" type="float" nodename="scaled" />
            <input name="in2" type="float" interfacename="sampled" /></add>
          <output name="out" type="float" nodename="shifted" />
          <output name="tex_out" type="float" nodename="textured" />
          <output name="bound" type="float" interfacename="scale" />
        </nodegraph>
        <dot name="through" type="float"><input name="in" type="float" nodegraph="G" output="out" /></dot>
        <dot name="direct" type="float"><input name="in" type="float" nodegraph="G" output="bound" /></dot>
        <dot name="sampled" type="float"><input name="in" type="float" nodegraph="G" output="tex_out" /></dot>)");
    mx::NodeGraphPtr graph = doc->getNodeGraph("G");
    EXPECT_EQ(evaluateConstantOutput(graph->getNode("scaled"))->getValueString(), "10");
    EXPECT_EQ(folded(doc, "through"), expected(13.0f));
    EXPECT_EQ(folded(doc, "direct"), expected(2.0f));
    EXPECT_EQ(folded(doc, "sampled"), NOT_FOLDED);

    // Folding the document's nodes replaces their graph connections; the
    // graph's own nodes keep their interface bindings.
    EXPECT_EQ(foldConstantInputs(doc->getNode("through")), 1u);
    EXPECT_EQ(foldConstantInputs(doc->getNode("direct")), 1u);
    EXPECT_EQ(foldConstantInputs(doc->getNode("sampled")), 0u);
    mx::InputPtr direct = doc->getNode("direct")->getInput("in");
    EXPECT_EQ(direct->getValueString(), "2");
    EXPECT_FALSE(direct->hasNodeGraphString() || direct->hasOutputString());
    EXPECT_EQ(graph->getNode("textured")->getInput("in1")->getValueString(), "10");
    EXPECT_EQ(graph->getNode("scaled")->getInput("in2")->getInterfaceName(), "scale");
}

TEST_F(ConstantFolding, FoldingInputsShrinksPartlyConstantChains)
{
    mx::DocumentPtr doc = document(R"(
        <image name="tex" type="color3" />
        <constant name="k" type="float"><input name="value" type="float" value="0.5" /></constant>
        <add name="twice" type="float"><input name="in1" type="float" nodename="k" /><input name="in2" type="float" nodename="k" /></add>
        <multiply name="tinted" type="color3"><input name="in1" type="color3" nodename="tex" />
          <input name="in2" type="float" nodename="twice" /></multiply>
        <convert name="grey" type="color3"><input name="in" type="float" nodename="twice" /></convert>
        <standard_surface name="S" type="surfaceshader">
          <input name="base_color" type="color3" nodename="tinted" />
          <input name="specular_color" type="color3" nodename="grey" colorspace="srgb_texture" />
          <input name="base" type="float" value="0.3" />
        </standard_surface>)");
    mx::NodePtr shader = doc->getNode("S");
    EXPECT_EQ(foldConstantInputs(shader), 1u);

    mx::InputPtr specular = shader->getInput("specular_color");
    EXPECT_FALSE(specular->hasNodeName());
    EXPECT_EQ(specular->getValueString(), "1, 1, 1");
    EXPECT_EQ(specular->getType(), "color3");
    EXPECT_EQ(specular->getAttribute("colorspace"), "srgb_texture");

    // The texture keeps its map; the constant factor behind it became a value.
    mx::InputPtr baseColor = shader->getInput("base_color");
    EXPECT_EQ(baseColor->getNodeName(), "tinted");
    mx::InputPtr factor = doc->getNode("tinted")->getInput("in2");
    EXPECT_FALSE(factor->hasNodeName());
    EXPECT_EQ(factor->getValueString(), "1");
    EXPECT_EQ(foldConstantInputs(shader), 0u);
}

TEST_F(ConstantFolding, NodesThatDependOnMoreThanValuesDoNotFold)
{
    // Textures, geometry and anything below them.
    EXPECT_EQ(folded(R"(<image name="n" type="color3" />)"), NOT_FOLDED);
    EXPECT_EQ(folded(R"(<texcoord name="t" type="vector2" />
                        <multiply name="n" type="vector2"><input name="in1" type="vector2" nodename="t" /></multiply>)"),
              NOT_FOLDED);
    EXPECT_EQ(folded(R"(<position name="p" type="vector3" />
                        <dot name="n" type="vector3"><input name="in" type="vector3" nodename="p" /></dot>)"),
              NOT_FOLDED);
    // Unknown categories and nodes without a definition.
    EXPECT_EQ(folded(R"(<frobnicate name="n" type="float" />)"), NOT_FOLDED);
    EXPECT_EQ(folded(R"(<add name="n" type="string" />)"), NOT_FOLDED);
    // A connection to a missing node, or results no shader agrees on.
    EXPECT_EQ(folded(R"(<dot name="n" type="float"><input name="in" type="float" nodename="missing" /></dot>)"), NOT_FOLDED);
    EXPECT_EQ(folded(R"(<divide name="n" type="float"><input name="in1" type="float" value="1" /><input name="in2" type="float" value="0" /></divide>)"),
              NOT_FOLDED);
    EXPECT_EQ(folded(R"(<sqrt name="n" type="float"><input name="in" type="float" value="-1" /></sqrt>)"), NOT_FOLDED);
}

TEST_F(ConstantFolding, ALongTexturedChainShrinksInOnePass)
{
    // Half the nodes hang off a textured chain: each becomes a value without
    // the document being searched again after each change.
    const int LENGTH = 50000;
    mx::DocumentPtr doc = document("");
    mx::NodePtr previous = doc->addNode("image", "n0", "float");
    for (int i = 1; i < LENGTH; ++i)
    {
        mx::NodePtr offset = doc->addNode("constant", "k" + std::to_string(i), "float");
        offset->setInputValue("value", float(i));
        mx::NodePtr node = doc->addNode("add", "n" + std::to_string(i), "float");
        node->addInput("in1", "float")->setConnectedNode(previous);
        node->addInput("in2", "float")->setConnectedNode(offset);
        previous = node;
    }
    mx::NodePtr shader = doc->addNode("standard_surface", "S", "surfaceshader");
    shader->addInput("base", "float")->setConnectedNode(previous);

    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(foldConstantInputs(shader), 0u);
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    EXPECT_EQ(shader->getInput("base")->getNodeName(), previous->getName());
    for (int i : { 1, LENGTH / 2, LENGTH - 1 })
    {
        mx::InputPtr offset = doc->getNode("n" + std::to_string(i))->getInput("in2");
        EXPECT_FALSE(offset->hasNodeName());
        EXPECT_EQ(offset->getValueString(), std::to_string(i));
    }
    EXPECT_LT(seconds, 20.0);
    std::cout << "[          ] " << LENGTH - 1 << " links of a textured chain folded in " << seconds << " s\n";
}

TEST_F(ConstantFolding, CyclesAreNotConstant)
{
    mx::DocumentPtr doc = document(R"(
        <add name="a" type="float"><input name="in1" type="float" nodename="b" /></add>
        <add name="b" type="float"><input name="in1" type="float" nodename="a" /></add>
        <dot name="n" type="float"><input name="in" type="float" nodename="a" /></dot>
        <multiply name="self" type="float"><input name="in1" type="float" nodename="self" /></multiply>
        <standard_surface name="S" type="surfaceshader"><input name="base" type="float" nodename="n" /></standard_surface>)");
    EXPECT_EQ(folded(doc, "n"), NOT_FOLDED);
    EXPECT_EQ(folded(doc, "b"), NOT_FOLDED);
    EXPECT_EQ(folded(doc, "self"), NOT_FOLDED);
    EXPECT_EQ(foldConstantInputs(doc->getNode("S")), 0u);
    EXPECT_EQ(doc->getNode("S")->getInput("base")->getNodeName(), "n");
}

TEST_F(ConstantFolding, AHundredThousandNodeChainFoldsWithoutRecursion)
{
    const int LENGTH = 100000;
    mx::DocumentPtr doc = document("");
    mx::NodePtr previous = doc->addNode("constant", "n0", "float");
    previous->setInputValue("value", 0.0f);
    for (int i = 1; i < LENGTH; ++i)
    {
        mx::NodePtr node = doc->addNode("add", "n" + std::to_string(i), "float");
        node->addInput("in1", "float")->setConnectedNode(previous);
        node->setInputValue("in2", 1.0f);
        previous = node;
    }
    mx::NodePtr shader = doc->addNode("standard_surface", "S", "surfaceshader");
    shader->addInput("base", "float")->setConnectedNode(previous);

    const auto start = std::chrono::steady_clock::now();
    mx::ValuePtr value = evaluateConstantOutput(previous);
    ASSERT_TRUE(value);
    EXPECT_EQ(value->asA<float>(), float(LENGTH - 1));
    EXPECT_EQ(foldConstantInputs(shader), 1u);
    EXPECT_EQ(shader->getInput("base")->getValueString(), "99999");
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    EXPECT_LT(seconds, 20.0);
    std::cout << "[          ] chain of " << LENGTH << " evaluated and folded in " << seconds << " s\n";
}

class OpenPbrTranslation : public ConstantFolding
{
  protected:
    /// A standard_surface fed by every output of an OpenPBR translation node
    /// holding the example's values, flattened as the import flattens it.
    void SetUp() override
    {
        mx::DocumentPtr example = mx::createDocument();
        mx::readFromXmlFile(example, mx::FilePath(std::string(ROZO_MATERIALX_V139_DIR) + "/examples/open_pbr_default.mtlx"));
        mx::NodePtr source = example->getNode("open_pbr_surface_surfaceshader");
        ASSERT_TRUE(source);

        // Only the inputs the definition declares: not the dispersion Abbe number.
        doc = document(R"(<image name="tex" type="color3" />)");
        mx::NodeDefPtr definition = doc->getNodeDef("ND_open_pbr_surface_to_standard_surface");
        ASSERT_TRUE(definition);
        translation = doc->addNode("open_pbr_surface_to_standard_surface", "translation", "multioutput");
        for (const mx::InputPtr& input : source->getInputs())
            if (definition->getInput(input->getName()))
                translation->addInput(input->getName(), input->getType())->setValueString(input->getValueString());
        ASSERT_EQ(translation->getNodeDef(), definition);
        shader = doc->addNode("standard_surface", "S", "surfaceshader");
        const std::string SUFFIX = "_out";
        for (const mx::OutputPtr& output : definition->getOutputs())
        {
            const std::string& name = output->getName();
            mx::InputPtr input = shader->addInput(name.substr(0, name.size() - SUFFIX.size()), output->getType());
            input->setNodeName("translation");
            input->setOutputString(name);
        }
    }

    void flatten()
    {
        doc->flattenSubgraphs();
        ASSERT_FALSE(doc->getNode("translation"));
    }

    std::string valueOf(const std::string& name) const { return shader->getInput(name)->getValueString(); }

    mx::DocumentPtr doc;
    mx::NodePtr translation;
    mx::NodePtr shader;
};

TEST_F(OpenPbrTranslation, DefaultMaterialFoldsEntirely)
{
    flatten();
    for (const mx::InputPtr& input : shader->getInputs())
    {
        mx::NodePtr upstream = input->getConnectedNode();
        ASSERT_TRUE(upstream) << input->getName();
        EXPECT_TRUE(evaluateConstantOutput(upstream)) << input->getName() << " from " << upstream->getName();
    }
    EXPECT_EQ(foldConstantInputs(shader), shader->getInputs().size());

    // No coat: the darkening mixes away and the base colour passes as stated.
    EXPECT_EQ(valueOf("base_color"), "0.8, 0.8, 0.8");
    EXPECT_EQ(valueOf("specular_roughness"), "0.3");
    EXPECT_EQ(valueOf("sheen_roughness"), mx::Value::createValue(std::pow(0.5f, 2.5f))->getValueString());
    EXPECT_EQ(valueOf("thin_film_thickness"), "0");
    EXPECT_EQ(valueOf("opacity"), "1, 1, 1");
    EXPECT_EQ(valueOf("thin_walled"), "false");
}

TEST_F(OpenPbrTranslation, TexturedBaseColorKeepsItsMapAndLeavesNothingFoldable)
{
    translation->getInput("base_color")->setNodeName("tex");
    translation->getInput("base_color")->removeAttribute("value");
    flatten();
    // The base colour reaches both colours through the coat darkening.
    EXPECT_EQ(foldConstantInputs(shader), shader->getInputs().size() - 2);
    EXPECT_TRUE(shader->getInput("base_color")->hasNodeName());
    EXPECT_TRUE(shader->getInput("subsurface_color")->hasNodeName());
    EXPECT_EQ(valueOf("specular_roughness"), "0.3");

    // What stays connected depends on the texture all the way up.
    std::vector<mx::NodePtr> pending{ shader };
    std::set<mx::NodePtr> seen;
    bool reachedTexture = false;
    while (!pending.empty())
    {
        mx::NodePtr node = pending.back();
        pending.pop_back();
        reachedTexture |= node->getName() == "tex";
        for (const mx::InputPtr& input : node->getInputs())
        {
            mx::NodePtr upstream = input->hasNodeName() ? doc->getNode(input->getNodeName()) : nullptr;
            if (!upstream || !seen.insert(upstream).second)
                continue;
            EXPECT_FALSE(evaluateConstantOutput(upstream)) << node->getName() << "." << input->getName();
            pending.push_back(upstream);
        }
    }
    EXPECT_TRUE(reachedTexture);
}
} // namespace
} // namespace rozo::test

namespace rozo::test
{
namespace
{
TEST_F(ConstantFolding, EveryTranslationOfDefaultValuesFolds)
{
    size_t translations = 0;
    for (const mx::NodeDefPtr& definition : libraries->getNodeDefs())
    {
        if (definition->getNodeGroup() != "translation")
            continue;
        ++translations;
        mx::DocumentPtr doc = document("");
        mx::NodePtr translation = doc->addNode(definition->getNodeString(), "translation", definition->getType());
        translation->setNodeDefString(definition->getName());
        mx::NodePtr sink = doc->addNode("standard_surface", "S", "surfaceshader");
        for (const mx::OutputPtr& output : definition->getOutputs())
        {
            mx::InputPtr input = sink->addInput(output->getName(), output->getType());
            input->setNodeName("translation");
            input->setOutputString(output->getName());
        }
        doc->flattenSubgraphs();
        for (const mx::InputPtr& input : sink->getInputs())
        {
            // Normals and tangents may come from the geometry.
            if (input->getName() == "normal_out" || input->getName() == "tangent_out")
                continue;
            mx::NodePtr upstream = input->getConnectedNode();
            ASSERT_TRUE(upstream) << definition->getName() << " " << input->getName();
            EXPECT_TRUE(evaluateConstantOutput(upstream, input->getOutputString()))
                << definition->getName() << " " << input->getName() << " from " << upstream->getName();
        }
    }
    EXPECT_GE(translations, 4u);
}
} // namespace
} // namespace rozo::test
