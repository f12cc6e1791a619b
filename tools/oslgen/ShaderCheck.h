#pragma once
// Checks a written shader before it is kept: its header, its names and its types,
// against the declarations of mx_funcs.h.
#include "OslLint.h"
#include "OslTypeCheck.h"

#include <string>
#include <vector>

namespace oslgen
{

class ShaderChecker
{
  public:
    // `funcsHeader` is the text of mx_funcs.h; its own problems are kept.
    explicit ShaderChecker(const std::string& funcsHeader);

    const std::vector<std::string>& headerProblems() const { return headerProblems_; }

    // Problems of one shader's text: brackets, "shader NAME [[ one item ]] (...) {...}",
    // parameter names and types (no arrays of structs), undeclared names, writes to
    // inputs, types, and the
    // include of mx_funcs.h exactly when its types or functions are used.
    std::vector<std::string> check(const std::string& shaderText) const;

  private:
    lint::Library library_;
    types::Declarations declarations_;
    std::vector<std::string> headerProblems_;
};

} // namespace oslgen
