#pragma once
// The OSL Map: a texture map whose block 0 holds the shader code ("OSLCode",
// source or precompiled text) and whose block 1 holds the shader's inputs,
// rebuilt whenever the code changes.
//
// Block 1 has, for every input parameter P of the shader, a value parameter P
// and a texture-map parameter P + "_map", in declaration order. Outputs get
// neither. The value parameter's type follows the OSL type:
//
//   int                      integer (TYPE_INT)
//   float                    float (TYPE_FLOAT)
//   color                    colour (TYPE_RGBA)
//   point, vector, normal    3D point (TYPE_POINT3)
//   string                   string (TYPE_STRING); TYPE_FILENAME when its
//                            metadata says widget = "filename"
//   matrix                   a table of 16 floats, row by row
//   struct of float fields   by component count: 1 float, 2 point2 (vector2),
//                            3 point3, 4 point4 (vector4); with a color field
//                            3 colour, 4 colour with alpha (color4: TYPE_FRGBA)
//   other structs, closures  no value parameter, only the "_map"
//   T[N]                     a table of N entries of T's parameter type
//
// The value parameters start at the shader's defaults (zero for defaults that
// need the running shader, such as u or N).
//
// Block 0 also holds "ColorSpace", the colour space of the file the shader
// reads: "auto" (the default) lets the host decide by the file's format, as it
// does for Bitmaps; an empty text means none was stated (the values are taken
// as they are); any other text names one. The shader itself reads the file as
// it is either way.
#include "BuiltinClasses.h"
#include "IOSLMap.h"
#include "MtlBase.h"
#include <memory>
#include <string>
#include <vector>

class ClassDesc2;
class ParamBlockDesc2;

namespace Norvane
{

class OslMap : public Texmap, public NorvaneSDK::OSL::IOSLMapInterface
{
  public:
    enum
    {
        CodeBlock = 0,
        ShaderBlock = 1
    };
    static constexpr ParamID CodeParam = 0;       // "OSLCode" in block 0
    static constexpr ParamID ColorSpaceParam = 1; // "ColorSpace" in block 0

    explicit OslMap(bool loading = false);

    Class_ID ClassID() override { return OSL_MAP_CLASS_ID; }
    void GetClassName(WStr& s) override { s = WStr(L"OSL Map"); }
    void* GetInterface(ULONG id) override;
    BaseInterface* GetInterface(Interface_ID id) override;
    void ParamChanged(IParamBlock2* block, ParamID id, int tabIndex) override;

    // The texture-map parameters of block 1.
    int NumSubTexmaps() override;
    Texmap* GetSubTexmap(int i) override;
    void SetSubTexmap(int i, Texmap* m) override;
    WStr GetSubTexmapSlotName(int i) override;

    WStr GetShaderName() override;
    WStr GetPrecompiledCode() override;
    WStr GetCodeError() override;

    // The map's result where the host can evaluate it (see SwatchRenderer.h).
    AColor EvalColor(float u, float v) override;

    // Folders searched for relative #include names, after the ones set here:
    // <root>/osl/materialx of this host, then the file-resolution search
    // folders for other assets. Absolute include paths need none of them.
    static void SetIncludeFolders(const std::vector<std::string>& folders);
    static std::vector<std::string> IncludeFolders();

    static ClassDesc2* GetClassDesc();

  protected:
    ~OslMap() override;

  public:
    struct Shader;

  private:
    void ReadCode(bool rebuildBlock);
    void RebuildShaderBlock();
    std::vector<ParamID> TexmapParams();

    IParamBlock2* codeBlock_ = nullptr;
    IParamBlock2* shaderBlock_ = nullptr;
    std::shared_ptr<const Shader> shader_; // shared by every map with the same code
};

} // namespace Norvane
