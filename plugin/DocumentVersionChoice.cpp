#include "plugin/DocumentVersionChoice.h"

namespace rozo
{
std::optional<DocumentVersionChoice> parseDocumentVersionChoice(const std::string& text)
{
    if (text.empty() || text == "auto")
        return DocumentVersionChoice::Oldest;
    if (text == "1.38")
        return DocumentVersionChoice::V1_38;
    if (text == "1.39")
        return DocumentVersionChoice::V1_39;
    return std::nullopt;
}

std::string documentVersionChoiceText(DocumentVersionChoice choice)
{
    switch (choice)
    {
        case DocumentVersionChoice::V1_38:
            return "1.38";
        case DocumentVersionChoice::V1_39:
            return "1.39";
        case DocumentVersionChoice::Oldest:
            break;
    }
    return "auto";
}
} // namespace rozo
