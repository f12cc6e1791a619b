#include "ScriptEngine.h"

#include "HostApi.h"
#include "ParamAccess.h"
#include "PublishedInterfaces.h"
#include "ScriptObject.h"

#include <QFile>
#include <QQmlEngine>
#include <QObject>

#include <ostream>

namespace
{

// print() writes its arguments, separated by blanks, as one line.
class Console : public QObject
{
    Q_OBJECT
  public:
    explicit Console(std::ostream& out) :
        out_(out) {}
    Q_INVOKABLE void write(const QString& line) { out_ << line.toStdString() << '\n'
                                                       << std::flush; }

  private:
    std::ostream& out_;
};

const char* const PRINT_GLUE =
    "(function (console) {"
    "  return function () {"
    "    var parts = [];"
    "    for (var k = 0; k < arguments.length; ++k) {"
    "      var v = arguments[k];"
    "      parts.push(Array.isArray(v) ? '[' + v.map(String).join(', ') + ']' : String(v));"
    "    }"
    "    console.write(parts.join(' '));"
    "  };"
    "})";

// The line of the innermost script frame: errors raised by host functions
// carry the line of the engine's own glue code, which has no file.
QString errorLine(const QJSValue& error)
{
    for (const QString& frame : error.property(QStringLiteral("stack")).toString().split('\n'))
    {
        QString place = frame.mid(frame.indexOf('@') + 1);
        if (place.startsWith(QLatin1String("file:")))
            place = place.mid(5);
        const int colon = place.lastIndexOf(':');
        if (colon > 0)
            return place.mid(colon + 1);
    }
    return error.property(QStringLiteral("lineNumber")).toString();
}

} // namespace

ScriptEngine::ScriptEngine(std::ostream& out) :
    out_(out)
{
    js_.installExtensions(QJSEngine::ConsoleExtension);
    QJSValue console = js_.newQObject(new Console(out_));
    js_.globalObject().setProperty(QStringLiteral("print"), js_.evaluate(QString::fromLatin1(PRINT_GLUE)).call({ console }));
    host_ = std::make_unique<HostApi>(*this);
    QJSValue host = js_.newQObject(host_.get());
    QQmlEngine::setObjectOwnership(host_.get(), QQmlEngine::CppOwnership);
    js_.globalObject().setProperty(QStringLiteral("Norvane"), host);
    interfaces_ = std::make_unique<PublishedInterfaces>(*this);
}

ScriptEngine::~ScriptEngine()
{
    wrappers_.clear();
    js_.collectGarbage();
}

QStringList ScriptEngine::publishInterfaces()
{
    return interfaces_->publishNew();
}

ScriptEngine::Result ScriptEngine::evaluate(const QString& program, const QString& fileName)
{
    Result r;
    r.value = js_.evaluate(program, fileName, 1);
    if (r.value.isError())
    {
        r.error = fileName + ":" + errorLine(r.value) + ": " + r.value.toString();
        return r;
    }
    r.ok = true;
    return r;
}

ScriptEngine::Result ScriptEngine::evaluateFile(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text))
    {
        Result r;
        r.error = path + ": cannot read the script: " + file.errorString();
        return r;
    }
    return evaluate(QString::fromUtf8(file.readAll()), path);
}

QJSValue ScriptEngine::wrap(ReferenceTarget* target)
{
    if (!target)
        return QJSValue(QJSValue::NullValue);
    auto it = wrappers_.find(target);
    if (it != wrappers_.end())
        return it.value();
    QJSValue v = js_.newQObject(new ScriptObject(*this, target));
    wrappers_.insert(target, v);
    return v;
}

ReferenceTarget* ScriptEngine::unwrap(const QJSValue& value)
{
    auto* object = qobject_cast<ScriptObject*>(value.toQObject());
    return object ? object->live() : nullptr;
}

bool ScriptEngine::isHostObject(const QJSValue& value)
{
    return qobject_cast<ScriptObject*>(value.toQObject()) != nullptr;
}

void ScriptEngine::throwError(const QString& message)
{
    js_.throwError(QJSValue::TypeError, message);
}

QJSValue ScriptEngine::fromVariant(const QVariant& value)
{
    if (!value.isValid())
        return QJSValue(QJSValue::UndefinedValue);
    if (value.userType() == QMetaType::VoidStar)
        return wrap(Norvane::ToTarget(value));
    if (value.type() == QVariant::List)
    {
        const QVariantList list = value.toList();
        QJSValue array = js_.newArray(static_cast<uint>(list.size()));
        for (int k = 0; k < list.size(); ++k)
            array.setProperty(static_cast<quint32>(k), fromVariant(list[k]));
        return array;
    }
    return js_.toScriptValue(value);
}

QString ScriptEngine::describe(const QJSValue& value)
{
    if (value.isUndefined())
        return QStringLiteral("undefined");
    if (value.isNull())
        return QStringLiteral("null");
    if (value.isBool())
        return QStringLiteral("a boolean");
    if (value.isNumber())
        return QStringLiteral("a number");
    if (value.isString())
        return QStringLiteral("a string");
    if (value.isArray())
        return QStringLiteral("an array");
    if (auto* object = qobject_cast<ScriptObject*>(value.toQObject()))
        return object->live() ? "a " + object->kind() : QStringLiteral("a deleted object");
    if (value.isCallable())
        return QStringLiteral("a function");
    return QStringLiteral("an object");
}

#include "ScriptEngine.moc"
