#pragma once
// Which MaterialX version an export writes: by default the oldest one that
// says everything the document holds, so that every reader can take it.

#include <optional>
#include <string>

namespace rozo
{
enum class DocumentVersionChoice
{
    Oldest,
    V1_38,
    V1_39,
};

/// "" and "auto" for the oldest that fits, "1.38", "1.39"; none for anything else.
std::optional<DocumentVersionChoice> parseDocumentVersionChoice(const std::string& text);
/// "auto", "1.38" or "1.39".
std::string documentVersionChoiceText(DocumentVersionChoice choice);
} // namespace rozo
