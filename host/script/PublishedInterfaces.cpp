#include "PublishedInterfaces.h"

#include "FunctionPublishing.h"
#include "MtlBase.h"
#include "ScriptEngine.h"

#include <QQmlEngine>
#include <QString>

#include <algorithm>
#include <memory>

namespace
{

// Builds the script object of one interface: each function forwards its
// arguments, as an array, to the bridge's invoke().
const char* const INTERFACE_GLUE =
    "(function (bridge, index, names, ids) {"
    "  var object = {};"
    "  names.forEach(function (name, k) {"
    "    object[name] = function () {"
    "      return bridge.invoke(index, ids[k], Array.prototype.slice.call(arguments));"
    "    };"
    "  });"
    "  return Object.freeze(object);"
    "})";

bool isObjectType(int base)
{
    return base == TYPE_MTL || base == TYPE_TEXMAP || base == TYPE_INODE || base == TYPE_REFTARG;
}

SClass_ID superClassOf(int base)
{
    switch (base)
    {
        case TYPE_MTL:
            return MATERIAL_CLASS_ID;
        case TYPE_TEXMAP:
            return TEXMAP_CLASS_ID;
        case TYPE_INODE:
            return NODE_CLASS_ID;
        default:
            return 0;
    }
}

// Converts the script arguments of one call into FPValues, by the descriptor.
// Tables passed by reference live in `tables` for the duration of the call.
class ArgumentConverter
{
  public:
    ArgumentConverter(ScriptEngine& engine, const QString& function) :
        engine_(engine),
        function_(function) {}

    bool convert(const FPParamDef& def, int position, const QJSValue& v, FPValue& out)
    {
        const int type = def.type;
        const int base = BaseParamType(type);
        const QString where = function_ + ": argument " + QString::number(position + 1) + " \"" + QString::fromStdWString(def.internal_name) + "\"";
        if (IsTableParamType(type))
        {
            if (base != TYPE_MTL)
                return unsupported(where, type);
            if (!v.isArray())
                return fail(where, type, v);
            auto tab = std::make_unique<MtlTab>();
            const int n = v.property(QStringLiteral("length")).toInt();
            for (int k = 0; k < n; ++k)
            {
                const QJSValue e = v.property(static_cast<quint32>(k));
                ReferenceTarget* t = ScriptEngine::unwrap(e);
                if (!(e.isNull() || e.isUndefined()) && !fitsObject(base, t))
                {
                    engine_.throwError(where + " must be a " + QString::fromStdString(FPTypeName(type)) + ": element " +
                                       QString::number(k) + " is " + ScriptEngine::describe(e));
                    return false;
                }
                Mtl* m = static_cast<Mtl*>(t);
                tab->Append(1, &m);
            }
            out.Load(type, *tab);
            tables_.push_back(std::move(tab));
            return true;
        }
        if (IsStringParamType(type) || base == TYPE_FILENAME || base == TYPE_NAME)
        {
            if (!v.isString())
                return fail(where, type, v);
            return out.Load(type, v.toString().toStdWString());
        }
        if (base == TYPE_BOOL || base == TYPE_bool)
        {
            if (!v.isBool())
                return fail(where, type, v);
            return out.Load(type, v.toBool());
        }
        if (IsIntParamType(type) || base == TYPE_DWORD || base == TYPE_INT64 || base == TYPE_INTPTR)
        {
            if (!v.isNumber())
                return fail(where, type, v);
            return out.Load(type, v.toInt());
        }
        if (IsFloatParamType(type) || base == TYPE_DOUBLE)
        {
            if (!v.isNumber())
                return fail(where, type, v);
            return out.Load(type, static_cast<float>(v.toNumber()));
        }
        if (isObjectType(base))
        {
            ReferenceTarget* t = ScriptEngine::unwrap(v);
            if (!(v.isNull() || fitsObject(base, t)))
                return fail(where, type, v);
            return out.Load(type, t);
        }
        return unsupported(where, type);
    }

  private:
    static bool fitsObject(int base, ReferenceTarget* t)
    {
        if (!t)
            return false;
        const SClass_ID wanted = superClassOf(base);
        return wanted == 0 || t->SuperClassID() == wanted;
    }

    bool unsupported(const QString& where, int type)
    {
        engine_.throwError(where + " has the type " + QString::fromStdString(FPTypeName(type)) +
                           ", which scripts cannot pass");
        return false;
    }

    bool fail(const QString& where, int type, const QJSValue& v)
    {
        engine_.throwError(where + " must be a " + QString::fromStdString(FPTypeName(type)) + ", not " +
                           ScriptEngine::describe(v));
        return false;
    }

    ScriptEngine& engine_;
    QString function_;
    std::vector<std::unique_ptr<MtlTab>> tables_;
};

} // namespace

PublishedInterfaces::PublishedInterfaces(ScriptEngine& engine) :
    engine_(engine)
{
    makeObject_ = engine_.js().evaluate(QString::fromLatin1(INTERFACE_GLUE));
}

QStringList PublishedInterfaces::publishNew()
{
    QStringList names;
    QJSEngine& js = engine_.js();
    QJSValue bridge = js.newQObject(this);
    QQmlEngine::setObjectOwnership(this, QQmlEngine::CppOwnership);
    for (FPStaticInterface* fpi : FPInterfaceRegistry::instance().interfaces())
    {
        if (!fpi->isValid() || std::find(published_.begin(), published_.end(), fpi) != published_.end())
            continue;
        const QString name = QString::fromStdWString(fpi->internal_name);
        if (name.isEmpty() || js.globalObject().hasProperty(name))
            continue;
        QJSValue functionNames = js.newArray(static_cast<uint>(fpi->functions.size()));
        QJSValue ids = js.newArray(static_cast<uint>(fpi->functions.size()));
        for (std::size_t k = 0; k < fpi->functions.size(); ++k)
        {
            functionNames.setProperty(static_cast<quint32>(k), QString::fromStdWString(fpi->functions[k].internal_name));
            ids.setProperty(static_cast<quint32>(k), static_cast<int>(fpi->functions[k].ID));
        }
        published_.push_back(fpi);
        js.globalObject().setProperty(
            name, makeObject_.call({ bridge, static_cast<int>(published_.size() - 1), functionNames, ids }));
        names << name;
    }
    return names;
}

QJSValue PublishedInterfaces::invoke(int index, int fid, const QJSValue& arguments)
{
    FPStaticInterface* fpi = index >= 0 && index < static_cast<int>(published_.size()) ? published_[index] : nullptr;
    // The module may have been shut down since: its interface left the registry.
    const auto& alive = FPInterfaceRegistry::instance().interfaces();
    if (!fpi || std::find(alive.begin(), alive.end(), fpi) == alive.end())
    {
        engine_.throwError(QStringLiteral("the interface is no longer available"));
        return {};
    }
    const FPFunctionDef* fn = fpi->function(static_cast<FunctionID>(fid));
    const QString function = QString::fromStdWString(fpi->internal_name) + "." + (fn ? QString::fromStdWString(fn->internal_name) : QString::number(fid));
    if (!fn)
    {
        engine_.throwError(function + ": no such function");
        return {};
    }
    const int given = arguments.property(QStringLiteral("length")).toInt();
    FPParams params;
    params.params.resize(static_cast<std::size_t>(given));
    if (given > static_cast<int>(fn->params.size()))
    {
        engine_.throwError(QString::fromStdString(fpi->checkArguments(fn->ID, &params)));
        return {};
    }
    ArgumentConverter converter(engine_, function);
    for (int k = 0; k < given; ++k)
        if (!converter.convert(fn->params[static_cast<std::size_t>(k)], k, arguments.property(static_cast<quint32>(k)),
                               params[k]))
            return {};
    // Left-out trailing arguments take their declared defaults; without one
    // the count check below names the function and what it takes.
    fpi->completeArguments(fn->ID, params);
    const std::string problem = fpi->checkArguments(fn->ID, &params);
    if (!problem.empty())
    {
        engine_.throwError(QString::fromStdString(problem));
        return {};
    }
    FPValue result;
    const int status = fpi->Invoke(fn->ID, result, &params);
    if (status != FPS_OK)
    {
        engine_.throwError(function + (status == FPS_NO_SUCH_FUNCTION ? ": the plug-in does not dispatch this function"
                                                                      : ": the call failed"));
        return {};
    }
    const int type = result.type;
    const int base = BaseParamType(type);
    if (result.isVoid())
        return QJSValue(QJSValue::UndefinedValue);
    if (const MtlTab* tab = result.asMtlTab())
    {
        QJSValue array = engine_.js().newArray(static_cast<uint>(tab->Count()));
        for (int k = 0; k < tab->Count(); ++k)
            array.setProperty(static_cast<quint32>(k), engine_.wrap((*tab)[k]));
        return array;
    }
    if (base == TYPE_BOOL || base == TYPE_bool)
        return QJSValue(result.asBool());
    if (IsStringParamType(type) || base == TYPE_FILENAME || base == TYPE_NAME)
        return QJSValue(QString::fromWCharArray(result.asString()));
    if (IsIntParamType(type))
        return QJSValue(result.asInt());
    if (IsFloatParamType(type))
        return QJSValue(static_cast<double>(result.asFloat()));
    if (isObjectType(base))
        return engine_.wrap(static_cast<ReferenceTarget*>(result.asObject()));
    engine_.throwError(function + ": the result type " + QString::fromStdString(FPTypeName(type)) +
                       " cannot be given to scripts");
    return {};
}
