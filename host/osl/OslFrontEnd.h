#pragma once
// The OSL front end: reads a shader's declarations (not its body) from source
// or from the precompiled text, and writes the precompiled text.
//
// Precompiled text, in the style of a compiled-shader file (fields are
// separated by tabs, values by blanks):
//
//   OpenShadingLanguage 1.00
//   # Compiled by the Norvane OSL front end: declarations only
//   shader mx_image_color3	%meta{string,mtlx_node,"image"}
//   param	string	file	""	%meta{string,widget,"filename"}
//   param	vector2	texcoord	0 0	%struct{"vector2"} %structfields{x,y} %structfieldtypes{"ff"} %initexpr{"vector2(u, v)"}
//   oparam	color	out	0 0 0
//   code ___main___
//   	end
//
// Line 3 is the shader kind and name, then every shader metadata item as
// %meta{TYPE,NAME,VALUE...}. Each parameter line is param or oparam, the type
// (struct types by name, arrays as TYPE[N]), the name, every default component
// (numbers, quoted strings), then %meta for parameter metadata, %struct,
// %structfields and %structfieldtypes (one letter per field: i f p v n c m s)
// for struct types, and %initexpr for a default that is not a constant.

#include "OslShaderInfo.h"

#include <string>
#include <vector>

namespace Norvane::osl
{

struct OslParseResult
{
    OslShaderInfo shader;
    std::vector<std::string> includedFiles; // what the source read through #include
    std::string error;                      // "FILE:LINE: error: ..." when the code is bad
    bool ok() const { return error.empty(); }
};

// sourceFilePath: where the text came from (may be empty); relative quoted
// includes are looked up beside it first, then in includeFolders.
OslParseResult parseOslSource(const std::string& text, const std::string& sourceFilePath,
                              const std::vector<std::string>& includeFolders);

std::string compileToPrecompiled(const OslShaderInfo& info);
OslParseResult parsePrecompiled(const std::string& text);
bool isPrecompiled(const std::string& text);

// Either form: the precompiled text when it says so, else source.
OslParseResult parseOslCode(const std::string& text, const std::string& sourceFilePath,
                            const std::vector<std::string>& includeFolders);

} // namespace Norvane::osl
