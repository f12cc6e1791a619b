#include "mx_test_support.h"

namespace mx = MaterialX;

namespace
{

// The step from 1.38 to 1.39: channels and swizzles become other nodes, thin
// films move onto the BSDFs, and several nodes change their inputs.
using UpgradeTo139 = mxtest::UpgradeTest;

TEST_F(UpgradeTo139, ChannelsBecomeSwizzleNodesBesideThePortsThatReadThem)
{
    EXPECT_EQ(upgrade("1.38", R"(  <nodegraph name="NG">
    <input name="tint" type="color4" value="1, 0.5, 0.25, 1" />
    <constant name="c" type="color3">
      <input name="value" type="color3" value="0.1, 0.2, 0.3" />
    </constant>
    <multiply name="m" type="vector3">
      <input name="in1" type="vector3" nodename="c" channels="bgr" />
      <input name="in2" type="float" interfacename="tint" channels="a" />
    </multiply>
    <output name="out" type="float" nodename="m" channels="z" />
  </nodegraph>
  <constant name="f" type="float" />
  <add name="a" type="float">
    <input name="in1" type="float" nodename="f" channels="x" />
  </add>
)"),
              R"(  <nodegraph name="NG">
    <input name="tint" type="color4" value="1, 0.5, 0.25, 1" />
    <constant name="c" type="color3">
      <input name="value" type="color3" value="0.1, 0.2, 0.3" />
    </constant>
    <separate3 name="separate" type="multioutput">
      <input name="in" type="color3" nodename="c" />
    </separate3>
    <combine3 name="swizzle" type="vector3">
      <input name="in1" type="float" nodename="separate" output="outb" />
      <input name="in2" type="float" nodename="separate" output="outg" />
      <input name="in3" type="float" nodename="separate" output="outr" />
    </combine3>
    <extract name="swizzle2" type="float">
      <input name="in" type="color4" interfacename="tint" />
      <input name="index" type="integer" value="3" />
    </extract>
    <multiply name="m" type="vector3">
      <input name="in1" type="vector3" nodename="swizzle" />
      <input name="in2" type="float" nodename="swizzle2" />
    </multiply>
    <extract name="swizzle3" type="float">
      <input name="in" type="vector3" nodename="m" />
      <input name="index" type="integer" value="2" />
    </extract>
    <output name="out" type="float" nodename="swizzle3" />
  </nodegraph>
  <constant name="f" type="float" />
  <add name="a" type="float">
    <input name="in1" type="float" nodename="f" />
  </add>
)");
    EXPECT_EQ(doc->getVersionString(), "1.39");
}

TEST_F(UpgradeTo139, SwizzleNodesBecomeConstantsExtractsConvertsOrCombines)
{
    EXPECT_EQ(upgrade("1.38", R"(  <swizzle name="k" type="color3" nodedef="ND_swizzle_color4_color3">
    <input name="in" type="color4" value="0.1, 0.2, 0.3, 0.4" />
    <input name="channels" type="string" value="ab1" />
  </swizzle>
  <texcoord name="uv" type="vector2" />
  <swizzle name="z" type="vector3">
    <input name="in" type="vector2" nodename="uv" />
    <input name="channels" type="string" value="010" />
  </swizzle>
  <swizzle name="e" type="float" nodedef="ND_swizzle_vector2_float">
    <input name="in" type="vector2" nodename="uv" value="1, 2" />
    <input name="channels" type="string" value="y" />
  </swizzle>
  <constant name="c4" type="color4" />
  <swizzle name="cv" type="color3" nodedef="ND_swizzle_color4_color3">
    <input name="in" type="color4" nodename="c4" />
    <input name="channels" type="string" value="rgb" />
  </swizzle>
  <constant name="f" type="float" />
  <swizzle name="fc" type="color3">
    <input name="in" type="float" nodename="f" />
    <input name="channels" type="string" value="r0r" />
  </swizzle>
  <swizzle name="sc" type="vector3">
    <input name="in" type="color3" nodename="k" />
    <input name="channels" type="string" value="bq1" />
  </swizzle>
)"),
              R"(  <constant name="k" type="color3" nodedef="ND_constant_color3">
    <input name="value" type="color3" value="0.4, 0.3, 1.000000" />
  </constant>
  <texcoord name="uv" type="vector2" />
  <constant name="z" type="vector3">
    <input name="value" type="vector3" value="0.000000, 1.000000, 0.000000" />
  </constant>
  <extract name="e" type="float" nodedef="ND_extract_vector2">
    <input name="in" type="vector2" nodename="uv" />
    <input name="index" type="integer" value="1" />
  </extract>
  <constant name="c4" type="color4" />
  <convert name="cv" type="color3" nodedef="ND_convert_color4_color3">
    <input name="in" type="color4" nodename="c4" />
  </convert>
  <constant name="f" type="float" />
  <combine3 name="fc" type="color3">
    <input name="in1" type="float" nodename="f" />
    <input name="in2" type="float" value="0" />
    <input name="in3" type="float" nodename="f" />
  </combine3>
  <separate3 name="separate" type="multioutput">
    <input name="in" type="color3" nodename="k" />
  </separate3>
  <combine3 name="sc" type="vector3">
    <input name="in1" type="float" nodename="separate" output="outb" />
    <input name="in2" type="float" nodename="separate" output="outr" />
    <input name="in3" type="float" value="1" />
  </combine3>
)");
}

TEST_F(UpgradeTo139, ThinFilmLayersBecomeInputsOfTheBsdfsBelowThem)
{
    EXPECT_EQ(upgrade("1.38", R"(  <thin_film_bsdf name="film" type="BSDF">
    <input name="thickness" type="float" value="550" />
    <input name="ior" type="float" value="1.5" />
  </thin_film_bsdf>
  <dielectric_bsdf name="coat" type="BSDF" />
  <dielectric_bsdf name="glass" type="BSDF">
    <input name="scatter_mode" type="string" value="T" />
  </dielectric_bsdf>
  <conductor_bsdf name="metal" type="BSDF" />
  <mix name="blend" type="BSDF">
    <input name="fg" type="BSDF" nodename="coat" />
    <input name="bg" type="BSDF" nodename="glass" />
  </mix>
  <mix name="blend2" type="BSDF">
    <input name="fg" type="BSDF" nodename="blend" />
    <input name="bg" type="BSDF" nodename="metal" />
  </mix>
  <layer name="filmed" type="BSDF">
    <input name="top" type="BSDF" nodename="film" />
    <input name="base" type="BSDF" nodename="blend2" />
  </layer>
  <surface name="surf" type="surfaceshader">
    <input name="bsdf" type="BSDF" nodename="filmed" />
  </surface>
)"),
              R"(  <dielectric_bsdf name="coat" type="BSDF">
    <input name="thinfilm_thickness" type="float" value="550" />
    <input name="thinfilm_ior" type="float" value="1.5" />
  </dielectric_bsdf>
  <dielectric_bsdf name="glass" type="BSDF">
    <input name="scatter_mode" type="string" value="T" />
  </dielectric_bsdf>
  <conductor_bsdf name="metal" type="BSDF">
    <input name="thinfilm_thickness" type="float" value="550" />
    <input name="thinfilm_ior" type="float" value="1.5" />
  </conductor_bsdf>
  <mix name="blend" type="BSDF">
    <input name="fg" type="BSDF" nodename="coat" />
    <input name="bg" type="BSDF" nodename="glass" />
  </mix>
  <mix name="blend2" type="BSDF">
    <input name="fg" type="BSDF" nodename="blend" />
    <input name="bg" type="BSDF" nodename="metal" />
  </mix>
  <surface name="surf" type="surfaceshader">
    <input name="bsdf" type="BSDF" nodename="blend2" />
  </surface>
)");
}

TEST_F(UpgradeTo139, AThinFilmOverACycleIsFoldedOnce)
{
    // The walk below the layer meets every node once, even around a loop.
    upgrade("1.38", R"(  <thin_film_bsdf name="film" type="BSDF" />
  <dielectric_bsdf name="coat" type="BSDF" />
  <mix name="loop" type="BSDF">
    <input name="fg" type="BSDF" nodename="coat" />
    <input name="bg" type="BSDF" nodename="loop" />
  </mix>
  <layer name="filmed" type="BSDF">
    <input name="top" type="BSDF" nodename="film" />
    <input name="base" type="BSDF" nodename="loop" />
  </layer>
)");
    EXPECT_EQ(doc->getNode("filmed"), nullptr);
    EXPECT_EQ(doc->getNode("film"), nullptr);
    EXPECT_EQ(doc->getNode("coat")->getInputs().size(), 0u);
}

TEST_F(UpgradeTo139, RadiusSwitchAndAtan2InputsChange)
{
    EXPECT_EQ(upgrade("1.38", R"(  <subsurface_bsdf name="sss" type="BSDF">
    <input name="radius" type="vector3" value="1, 0.5, 0.25" />
  </subsurface_bsdf>
  <switch name="sw" type="float">
    <input name="which" type="integer" value="7" />
  </switch>
  <switch name="swf" type="float">
    <input name="which" type="float" value="5.5" />
  </switch>
  <switch name="keep" type="float">
    <input name="which" type="integer" value="3" />
  </switch>
  <atan2 name="at" type="float">
    <input name="in1" type="float" value="1" />
    <input name="in2" type="float" value="2" />
  </atan2>
)"),
              R"(  <subsurface_bsdf name="sss" type="BSDF">
    <input name="radius" type="color3" nodename="convert" />
  </subsurface_bsdf>
  <switch name="sw" type="float">
    <input name="which" type="integer" value="0" />
  </switch>
  <switch name="swf" type="float">
    <input name="which" type="float" value="0" />
  </switch>
  <switch name="keep" type="float">
    <input name="which" type="integer" value="3" />
  </switch>
  <atan2 name="at" type="float">
    <input name="iny" type="float" value="1" />
    <input name="inx" type="float" value="2" />
  </atan2>
  <convert name="convert" type="color3">
    <input name="in" type="vector3" value="1, 0.5, 0.25" />
  </convert>
)");
}

// 1.38 took the connection over a value beside it; 1.39 allows one binding.
// Beside a connection that leads nowhere, the value is what was left to read.
TEST_F(UpgradeTo139, AValueBesideAConnectionGoesWhereTheConnectionLeadsSomewhere)
{
    EXPECT_EQ(upgrade("1.38", R"(  <nodegraph name="G">
    <constant name="c" type="float" />
    <output name="out" type="float" nodename="c" />
    <output name="spare" type="float" />
  </nodegraph>
  <constant name="k" type="float" />
  <add name="a" type="float">
    <input name="in1" type="float" value="1" nodename="k" />
    <input name="in2" type="float" value="2" nodename="missing" />
  </add>
  <add name="b" type="float">
    <input name="in1" type="float" value="3" nodegraph="G" />
    <input name="in2" type="float" value="4" nodegraph="G" output="spare" />
  </add>
)"),
              R"(  <nodegraph name="G">
    <constant name="c" type="float" />
    <output name="out" type="float" nodename="c" />
    <output name="spare" type="float" />
  </nodegraph>
  <constant name="k" type="float" />
  <add name="a" type="float">
    <input name="in1" type="float" nodename="k" />
    <input name="in2" type="float" value="2" nodename="missing" />
  </add>
  <add name="b" type="float">
    <input name="in1" type="float" nodegraph="G" />
    <input name="in2" type="float" value="4" nodegraph="G" output="spare" />
  </add>
)");
}

TEST_F(UpgradeTo139, NormalMapsLoseTheirSpace)
{
    EXPECT_EQ(upgrade("1.38", R"(  <nodegraph name="NG">
    <image name="img" type="vector3" />
    <normalmap name="obj" type="vector3">
      <input name="in" type="vector3" nodename="img" />
      <input name="space" type="string" value="object" />
      <input name="scale" type="float" value="2" />
    </normalmap>
    <normal name="n" type="vector3" />
    <normalmap name="tan" type="vector3" nodedef="ND_normalmap">
      <input name="in" type="vector3" nodename="img" />
      <input name="space" type="string" value="tangent" />
      <input name="normal" type="vector3" nodename="n" />
    </normalmap>
    <normalmap name="plain" type="vector3">
      <input name="in" type="vector3" nodename="img" />
    </normalmap>
    <output name="out" type="vector3" nodename="obj" />
  </nodegraph>
)"),
              R"(  <nodegraph name="NG">
    <image name="img" type="vector3" />
    <normalize name="obj" type="vector3">
      <input name="in" type="vector3" nodename="subtract" />
    </normalize>
    <normal name="n" type="vector3" />
    <normalmap name="tan" type="vector3" nodedef="ND_normalmap_float">
      <input name="in" type="vector3" nodename="img" />
      <input name="normal" type="vector3" nodename="n" />
      <input name="bitangent" type="vector3" nodename="normalmap_cross_norm" />
    </normalmap>
    <normalmap name="plain" type="vector3">
      <input name="in" type="vector3" nodename="img" />
    </normalmap>
    <output name="out" type="vector3" nodename="obj" />
    <multiply name="multiply" type="vector3">
      <input name="in1" type="vector3" nodename="img" />
      <input name="in2" type="float" value="2" />
    </multiply>
    <subtract name="subtract" type="vector3">
      <input name="in1" type="vector3" nodename="multiply" />
      <input name="in2" type="float" value="1" />
    </subtract>
    <crossproduct name="normalmap_cross" type="vector3">
      <input name="in1" type="vector3" nodename="n" />
    </crossproduct>
    <normalize name="normalmap_cross_norm" type="vector3">
      <input name="in" type="vector3" nodename="normalmap_cross" />
    </normalize>
  </nodegraph>
)");
}

TEST_F(UpgradeTo139, The138LibraryGraphsLoseChannelsAndSwizzlesAndKeepTheirTypes)
{
    mx::DocumentPtr lib = rozo::loadLibraryFolders(rozo::standardLibraryFolders(),
                                                   mx::FileSearchPath(mx::FilePath(ROZO_MATERIALX_DATA_DIR)));
    size_t graphNodes = 0;
    for (mx::ElementPtr elem : lib->traverseTree())
    {
        EXPECT_FALSE(elem->hasAttribute("channels")) << elem->getNamePath();
        if (elem->isA<mx::Node>() && elem->getParent()->isA<mx::NodeGraph>())
        {
            ++graphNodes;
            EXPECT_NE(elem->getCategory(), "swizzle") << elem->getNamePath();
        }
    }
    EXPECT_GT(graphNodes, 100u);
    // The nodes that replace them connect with matching types.  (The 1.38
    // definitions do not declare the inputs 1.39 added, so those are reported.)
    std::string message;
    mx::DocumentPtr doc = mx::createDocument();
    doc->importLibrary(lib);
    doc->validate(&message);
    EXPECT_EQ(message.find("Mismatched types"), std::string::npos) << message;
    EXPECT_EQ(message.find("Invalid port connection"), std::string::npos) << message;
}

} // anonymous namespace
