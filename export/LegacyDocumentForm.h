#pragma once
// Writing a document of today's MaterialX (1.39) so that a MaterialX 1.38
// reader takes it with the same meaning. Most nodes are the same in both; a
// few changed in a way that has an exact reverse (renamed inputs, inputs that
// 1.38 did not have left at their defaults), and some are new in 1.39 and
// have no 1.38 form at all.

#include <MaterialXCore/Document.h>

#include <string>
#include <utility>
#include <vector>

namespace rozo
{
namespace mx = MaterialX;

extern const char* const LEGACY_DOCUMENT_VERSION;

/// What writing a document as 1.38 takes, found without changing it.
struct LegacyFormPlan
{
    /// Inputs written under their 1.38 name.
    std::vector<std::pair<mx::InputPtr, std::string>> renamed;
    /// Inputs 1.38 did not have, at their 1.39 defaults: left out.
    std::vector<mx::InputPtr> omitted;
    /// The document's own nodes that 1.38 cannot say.
    std::vector<mx::NodePtr> withoutLegacyForm;
};

/// The plan for the document's own top-level nodes (those not from a library).
LegacyFormPlan planLegacyForm(const mx::DocumentPtr& doc);

/// Whether the named 1.39 definition is new in 1.39 (no 1.38 definition says the same).
bool isNewIn1_39(const std::string& nodeDefName);
/// The inputs a 1.39 definition has beyond its 1.38 counterpart.
const std::vector<std::string>& inputsNewIn1_39(const std::string& nodeDefName);

/// Puts the document in its 1.38 form for as long as it lives: renames and
/// omissions applied and the version set; the destructor restores the names
/// and the version (omitted inputs stay out: they only restated defaults).
class LegacyFormScope
{
  public:
    LegacyFormScope(const mx::DocumentPtr& doc, const LegacyFormPlan& plan);
    ~LegacyFormScope();
    LegacyFormScope(const LegacyFormScope&) = delete;
    LegacyFormScope& operator=(const LegacyFormScope&) = delete;

  private:
    mx::DocumentPtr _doc;
    std::string _version;
    std::vector<std::pair<mx::InputPtr, std::string>> _restore;
};
} // namespace rozo
