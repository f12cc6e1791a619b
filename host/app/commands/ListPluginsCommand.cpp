#include "Command.h"
#include "CommandContext.h"
#include "FunctionPublishing.h"
#include "PluginLoader.h"
#include "Utf8Text.h"

#include <QString>

#include <cstdio>
#include <ostream>

namespace
{

std::string hex(ULONG v)
{
    char buf[16];
    std::snprintf(buf, sizeof buf, "0x%08X", static_cast<unsigned>(v));
    return buf;
}

const char* superClassName(SClass_ID id)
{
    switch (id)
    {
        case UTILITY_CLASS_ID:
            return "utility";
        case MATERIAL_CLASS_ID:
            return "material";
        case TEXMAP_CLASS_ID:
            return "texture map";
        case GEOMOBJECT_CLASS_ID:
            return "geometry";
        default:
            return nullptr;
    }
}

std::string signature(const FPFunctionDef& fn)
{
    std::string s = Norvane::Utf8FromWide(fn.internal_name) + "(";
    for (std::size_t k = 0; k < fn.params.size(); ++k)
    {
        const FPParamDef& param = fn.params[k];
        s += (k ? ", " : "") + Norvane::Utf8FromWide(param.internal_name) + ": " + FPTypeName(param.type);
        // A parameter a call may leave out shows what it then takes.
        if (const FPTagValue* given = param.tag(FP_TAG_DEFAULT); given && !given->values.empty())
        {
            const FPDescItem& value = given->values[0];
            s += " = " + (value.isText()     ? "\"" + Norvane::Utf8FromWide(value.text()) + "\""
                          : value.isNumber() ? std::to_string(value.number())
                                             : std::to_string(value.real()));
        }
    }
    return s + ") -> " + FPTypeName(fn.result_type);
}

class ListPluginsCommand : public DescribedCommand
{
  public:
    ListPluginsCommand()
    {
        info_.name = "list-plugins";
        info_.aliases = { "--list-plugins" };
        info_.summary = "list the plug-in modules with their classes and published interfaces";
        info_.description =
            "Loads every *.dlu in the plug-in folder and prints, per module, its description,\n"
            "its classes (name, super class, class ID, category) and the script interfaces it\n"
            "publishes. Modules that cannot be loaded are reported on the error output, and\n"
            "the exit status is then 1.";
    }

    int run(CommandContext& context, const CommandArguments&) override
    {
        PluginLoader& loader = context.plugins();
        std::ostream& out = context.out();
        if (loader.modules().empty())
            out << "No plug-ins loaded from " << context.pluginFolder() << ".\n";
        for (const auto& module : loader.modules())
        {
            out << module->fileName() << ": "
                << (module->description().empty() ? "(no description)" : Norvane::Utf8FromWide(module->description())) << '\n';
            for (const PluginClassInfo& c : module->classes())
            {
                const char* family = superClassName(c.superClassID);
                out << "  class " << Norvane::Utf8FromWide(c.name) << "  super class " << hex(c.superClassID)
                    << (family ? std::string(" (") + family + ")" : std::string()) << "  class ID ("
                    << hex(c.classID.PartA()) << ", " << hex(c.classID.PartB()) << ")  category \"" << Norvane::Utf8FromWide(c.category)
                    << "\"\n";
            }
            for (const FPStaticInterface* fpi : module->interfaces())
            {
                out << "  interface " << Norvane::Utf8FromWide(fpi->internal_name) << "  ID (" << hex(fpi->ID.PartA()) << ", "
                    << hex(fpi->ID.PartB()) << ")\n";
                if (!fpi->isValid())
                    out << "    invalid descriptor: " << fpi->loadError() << '\n';
                for (const FPFunctionDef& fn : fpi->functions)
                    out << "    " << fn.ID << " " << signature(fn) << '\n';
            }
        }
        return context.pluginProblems() ? ExitFailure : ExitOk;
    }
};

} // namespace

NORVANE_REGISTER_COMMAND(ListPluginsCommand);
