#include "export/FileColorSpaceExport.h"

#include "import/ColorSpaces.h"
#include "import/FileColorSpace.h"
#include "plugin/HostCalls.h"
#include "plugin/ParameterAccess.h"

#include <QFileInfo>
#include <QString>
#include <QStringList>

namespace rozo
{
namespace
{
const char* const AUTOMATIC = "auto";
const char* const SRGB_TEXTURE = "srgb_texture";
} // namespace

std::string automaticColorSpace(const std::string& fileName)
{
    static const QStringList floatingPoint = { QStringLiteral("exr"), QStringLiteral("hdr"), QStringLiteral("pfm") };
    const QString suffix = QFileInfo(QString::fromStdString(fileName)).suffix().toLower();
    return floatingPoint.contains(suffix) ? WORKING_COLOR_SPACE : SRGB_TEXTURE;
}

std::optional<std::string> rememberedColorSpace(Texmap* map)
{
    if (!map || !hasOslInterface(map))
        return std::nullopt;
    IParamBlock2* codeBlock = map->GetParamBlock(0);
    const std::optional<ParamID> id = parameterId(codeBlock, MAP_COLOR_SPACE_PARAMETER);
    if (!id)
        return std::nullopt;
    const wchar_t* text = codeBlock->GetStr(*id);
    const std::string space = text ? toUtf8(WStr(text)) : std::string();
    if (space == AUTOMATIC)
        return std::nullopt;
    return space;
}

std::optional<std::string> exportedColorSpace(const std::optional<std::string>& remembered,
                                              const std::string& fileName, bool colorData)
{
    if (remembered && (remembered->empty() || *remembered == NO_COLOR_SPACE))
        return remembered->empty() ? std::nullopt : remembered;
    if (const ColorSpace* known = remembered ? findColorSpace(*remembered) : nullptr)
        return known->name;
    return colorData ? automaticColorSpace(fileName) : std::string(NO_COLOR_SPACE);
}
} // namespace rozo
