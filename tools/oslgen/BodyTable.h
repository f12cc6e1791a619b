#pragma once
// The hand-written shader bodies, one entry per node category (with the type variants
// worked out inside the entry).
#include "NodeLibrary.h"
#include "OslTypes.h"

#include <optional>
#include <string>
#include <vector>

namespace oslgen
{

// What a body entry knows of the definition it is written for.
class BodyContext
{
  public:
    explicit BodyContext(const NodeDefinition& definition);

    const NodeDefinition& definition() const { return def_; }
    // The OSL type of the first output, or of the named input or output.
    const OslType& out() const { return outputs_.front(); }
    const OslType& type(const std::string& port) const;
    bool has(const std::string& port) const;
    // The type name of the first output (convenience for declarations).
    const std::string& T() const { return outputs_.front().osl; }
    // Whether the definition's document is of this version or newer ("1.39" and on
    // change what some nodes do with unchanged ports).
    bool versionAtLeast(int major, int minor) const;

  private:
    const NodeDefinition& def_;
    std::vector<OslType> inputs_;
    std::vector<OslType> outputs_;
};

// The body statements for a definition (lines without the outer indentation), or
// nothing when no entry covers its category and types.
std::optional<std::string> shaderBody(const BodyContext& context);

// The fallback body: "in", "in1" or "bg" passes through when it has the output's type,
// else every output keeps its parameter default.
std::string fallbackBody(const NodeDefinition& definition);

// Categories the table has an entry for.
std::vector<std::string> bodyCategories();

} // namespace oslgen
