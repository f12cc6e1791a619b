#include "mx_test_support.h"

namespace mx = MaterialX;

namespace
{

using Upgrade = mxtest::UpgradeTest;

TEST_F(Upgrade, CurrentDocumentsAreLeftAsTheyAre)
{
    const std::string body = R"(  <material name="M">
    <parameter name="p" type="color2" value="1, 0" />
  </material>
)";
    EXPECT_EQ(upgrade("1.39", body), body);
    EXPECT_EQ(doc->getVersionString(), "1.39");
}

TEST_F(Upgrade, VersionsBeforeTheFirstStepStayUnupgraded)
{
    upgrade("1.21", "  <constant name=\"c\" type=\"vector\" />\n");
    EXPECT_EQ(doc->getVersionString(), "1.21");
    EXPECT_EQ(doc->getNode("c")->getType(), "vector");
}

TEST_F(Upgrade, MaterialElementsBecomeShaderAndMaterialNodes)
{
    EXPECT_EQ(upgrade("1.37", R"(  <nodedef name="ND_fog" node="fog">
    <output name="out" type="volumeshader" />
  </nodedef>
  <material name="Paint" doc="kept">
    <shaderref name="SR_paint" node="standard_surface" version="1.0">
      <bindinput name="base_color" type="color3" value="1, 0, 0" />
      <bindparam name="thin_walled" type="boolean" value="true" />
      <bindtoken name="suffix" value="_a" />
    </shaderref>
  </material>
  <material name="Fog">
    <shaderref name="SR_fog" nodedef="ND_fog" />
  </material>
)"),
              R"(  <nodedef name="ND_fog" node="fog">
    <output name="out" type="volumeshader" />
  </nodedef>
  <standard_surface name="SR_paint" type="surfaceshader" version="1.0">
    <input name="base_color" type="color3" value="1, 0, 0" />
    <input name="thin_walled" type="boolean" value="true" />
    <token name="suffix" value="_a" />
  </standard_surface>
  <surfacematerial name="Paint" type="material" doc="kept">
    <input name="surfaceshader" type="surfaceshader" nodename="SR_paint" />
  </surfacematerial>
  <fog name="SR_fog" type="volumeshader" nodedef="ND_fog" />
  <volumematerial name="Fog" type="material">
    <input name="volumeshader" type="volumeshader" nodename="SR_fog" />
  </volumematerial>
)");
    EXPECT_EQ(doc->getVersionString(), "1.39");
    EXPECT_EQ(doc->getMaterialNodes().size(), 2u);
}

TEST_F(Upgrade, ShaderNodesAvoidTheNamesOfMaterialsNotYetConverted)
{
    // The shader is named while its material still holds the name; a
    // material without shaders simply goes.
    EXPECT_EQ(upgrade("1.37", R"(  <material name="Red">
    <shaderref name="Red" node="standard_surface" />
  </material>
  <material name="Empty" />
  <material name="Blue">
    <shaderref name="Red" node="standard_surface" />
  </material>
)"),
              R"(  <standard_surface name="Red2" type="surfaceshader" />
  <surfacematerial name="Red" type="material">
    <input name="surfaceshader" type="surfaceshader" nodename="Red2" />
  </surfacematerial>
  <standard_surface name="Red3" type="surfaceshader" />
  <surfacematerial name="Blue" type="material">
    <input name="surfaceshader" type="surfaceshader" nodename="Red3" />
  </surfacematerial>
)");
}

TEST_F(Upgrade, ParametersBecomeInputsUniformOnDefinitions)
{
    EXPECT_EQ(upgrade("1.37", R"(  <nodedef name="ND_x" node="x">
    <parameter name="file" type="filename" value="" />
    <output name="out" type="color3" />
  </nodedef>
  <nodegraph name="NG">
    <image name="img" type="color3">
      <parameter name="file" type="filename" value="a.png" />
    </image>
    <output name="out" type="color3" nodename="img" />
  </nodegraph>
)"),
              R"(  <nodedef name="ND_x" node="x">
    <input name="file" type="filename" value="" uniform="true" />
    <output name="out" type="color3" />
  </nodedef>
  <nodegraph name="NG">
    <image name="img" type="color3">
      <input name="file" type="filename" value="a.png" />
    </image>
    <output name="out" type="color3" nodename="img" />
  </nodegraph>
)");
}

TEST_F(Upgrade, Color2BecomesVector2AndItsChannelsFollow)
{
    // The renamed channels then turn into the nodes that replace swizzles.
    EXPECT_EQ(upgrade("1.37", R"(  <constant name="c" type="color2">
    <input name="value" type="color2" value="1, 0.5" />
  </constant>
  <swizzle name="s" type="color2">
    <input name="in" type="color2" nodename="c" />
    <input name="channels" type="string" value="ar" />
  </swizzle>
  <add name="a" type="float">
    <input name="in1" type="float" nodename="c" channels="a" />
  </add>
)"),
              R"(  <constant name="c" type="vector2">
    <input name="value" type="vector2" value="1, 0.5" />
  </constant>
  <separate2 name="separate" type="multioutput">
    <input name="in" type="vector2" nodename="c" />
  </separate2>
  <combine2 name="s" type="vector2">
    <input name="in1" type="float" nodename="separate" output="outy" />
    <input name="in2" type="float" nodename="separate" output="outx" />
  </combine2>
  <extract name="swizzle" type="float">
    <input name="in" type="vector2" nodename="c" />
    <input name="index" type="integer" value="1" />
  </extract>
  <add name="a" type="float">
    <input name="in1" type="float" nodename="swizzle" />
  </add>
)");
}

TEST_F(Upgrade, LayeredBsdfsSplitIntoLayerNodesAndConductorsGainArtisticIor)
{
    EXPECT_EQ(upgrade("1.37", R"(  <diffuse_brdf name="diffuse" type="BSDF" />
  <dielectric_brdf name="coat" type="BSDF">
    <input name="base" type="BSDF" nodename="diffuse" />
  </dielectric_brdf>
  <dielectric_btdf name="glass" type="BSDF">
    <input name="interior" type="VDF" />
  </dielectric_btdf>
  <conductor_brdf name="metal" type="BSDF">
    <input name="reflectivity" type="color3" value="0.9, 0.6, 0.3" />
  </conductor_brdf>
  <surface name="surf" type="surfaceshader">
    <input name="bsdf" type="BSDF" nodename="coat" />
  </surface>
)"),
              R"(  <oren_nayar_diffuse_bsdf name="diffuse" type="BSDF" />
  <dielectric_bsdf name="coat__layer_top" type="BSDF" />
  <dielectric_bsdf name="glass" type="BSDF">
    <input name="scatter_mode" type="string" value="T" />
  </dielectric_bsdf>
  <conductor_bsdf name="metal" type="BSDF">
    <input name="ior" type="color3" nodename="metal__artistic_ior" output="ior" />
    <input name="extinction" type="color3" nodename="metal__artistic_ior" output="extinction" />
  </conductor_bsdf>
  <surface name="surf" type="surfaceshader">
    <input name="bsdf" type="BSDF" nodename="coat" />
  </surface>
  <layer name="coat" type="BSDF">
    <input name="top" type="BSDF" nodename="coat__layer_top" />
    <input name="base" type="BSDF" nodename="diffuse" />
  </layer>
  <artistic_ior name="metal__artistic_ior" type="multioutput">
    <output name="ior" type="color3" />
    <output name="extinction" type="color3" />
    <input name="reflectivity" type="color3" value="0.9, 0.6, 0.3" />
  </artistic_ior>
)");
}

TEST_F(Upgrade, InputsSwapOrRenameWhereNodesChangedTheirInterface)
{
    EXPECT_EQ(upgrade("1.36", R"(  <nodedef name="ND_old" node="old" type="float" defaultinput="in" />
  <compare name="cmp" type="float">
    <input name="intest" type="float" value="0.5" />
    <parameter name="cutoff" type="float" value="0.2" />
    <input name="in1" type="float" value="1" />
    <input name="in2" type="float" value="2" />
  </compare>
  <combine name="comb" type="color3">
    <input name="in3" type="float" value="1" />
  </combine>
  <atan2 name="at" type="float">
    <input name="in1" type="float" value="1" />
    <input name="in2" type="float" value="2" />
  </atan2>
)"),
              R"(  <nodedef name="ND_old" node="old">
    <output name="out" type="float" defaultinput="in" />
  </nodedef>
  <ifgreatereq name="cmp" type="float">
    <input name="value1" type="float" value="0.5" />
    <input name="value2" type="float" value="0.2" />
    <input name="in2" type="float" value="1" />
    <input name="in1" type="float" value="2" />
  </ifgreatereq>
  <combine3 name="comb" type="color3">
    <input name="in3" type="float" value="1" />
  </combine3>
  <atan2 name="at" type="float">
    <input name="inx" type="float" value="1" />
    <input name="iny" type="float" value="2" />
  </atan2>
)");
}

TEST_F(Upgrade, GraphNodesNamedLikeAnInterfaceNameAreRenamed)
{
    EXPECT_EQ(upgrade("1.37", R"(  <nodegraph name="NG" version="2">
    <constant name="amount" type="float" />
    <multiply name="m" type="float">
      <input name="in1" type="float" interfacename="amount" />
      <input name="in2" type="float" nodename="amount" />
    </multiply>
    <output name="out" type="float" nodename="amount" />
  </nodegraph>
)"),
              R"(  <nodegraph name="NG">
    <constant name="amount2" type="float" />
    <multiply name="m" type="float">
      <input name="in1" type="float" interfacename="amount" />
      <input name="in2" type="float" nodename="amount2" />
    </multiply>
    <output name="out" type="float" nodename="amount2" />
  </nodegraph>
)");
}

} // anonymous namespace
