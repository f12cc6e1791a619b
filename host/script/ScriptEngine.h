#pragma once
// The host's JavaScript engine: print, the model API (object "Norvane") and
// every static interface the loaded plug-ins publish (such as "MaterialX").

#include <QHash>
#include <QJSEngine>
#include <QJSValue>
#include <QString>
#include <QStringList>

#include <iosfwd>
#include <memory>

class ReferenceTarget;
class HostApi;
class PublishedInterfaces;

class ScriptEngine
{
  public:
    // `out` receives print().
    explicit ScriptEngine(std::ostream& out);
    ~ScriptEngine();
    ScriptEngine(const ScriptEngine&) = delete;
    ScriptEngine& operator=(const ScriptEngine&) = delete;

    // Publishes every valid static interface registered so far that is not yet
    // published; answers the names published by this call.
    QStringList publishInterfaces();

    struct Result
    {
        bool ok = false;
        QJSValue value;
        QString error; // "FILE:LINE: message" when the script failed
    };
    Result evaluate(const QString& program, const QString& fileName = QStringLiteral("<expression>"));
    // Reads and runs a script file; a file that cannot be read is a failure too.
    Result evaluateFile(const QString& path);

    // The one script object of a host object (the same for every call), null for none.
    QJSValue wrap(ReferenceTarget* target);
    // The host object a script value stands for; none for null, undefined or a non-host value.
    static ReferenceTarget* unwrap(const QJSValue& value);
    // Whether the value is a script object of a host object (alive or not).
    static bool isHostObject(const QJSValue& value);

    // Makes the running call fail with a script error carrying `message`.
    void throwError(const QString& message);
    // The script value of a parameter value as the host model gives it.
    QJSValue fromVariant(const QVariant& value);
    // A short description of a value's kind for error messages ("a number", "null", ...).
    static QString describe(const QJSValue& value);

    QJSEngine& js() { return js_; }
    std::ostream& out() { return out_; }

  private:
    QJSEngine js_;
    std::ostream& out_;
    QHash<ReferenceTarget*, QJSValue> wrappers_;
    std::unique_ptr<HostApi> host_;
    std::unique_ptr<PublishedInterfaces> interfaces_;
};
