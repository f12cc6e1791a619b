#pragma once
// A host object (material, map, scene node, geometry) as a script sees it.
// The host owns the object; the wrapper only refers to it and refuses to
// touch it once it is gone.

#include <QJSValue>
#include <QObject>
#include <QString>
#include <QVariantList>

class ReferenceTarget;
class ScriptEngine;

class ScriptObject : public QObject
{
    Q_OBJECT
    Q_PROPERTY(QString name READ name WRITE setName)
    Q_PROPERTY(QString kind READ kind)
    Q_PROPERTY(QString className READ className)
    Q_PROPERTY(bool valid READ valid)
    Q_PROPERTY(QVariantList position READ position WRITE setPosition)
    Q_PROPERTY(bool selected READ selected)

  public:
    ScriptObject(ScriptEngine& engine, ReferenceTarget* target);

    ReferenceTarget* target() const { return target_; }
    // The target when it still exists, none otherwise.
    ReferenceTarget* live() const;

    QString name() const;
    void setName(const QString& name);
    QString kind() const;
    QString className() const;
    bool valid() const { return live() != nullptr; }
    QVariantList position() const;
    void setPosition(const QVariantList& p);
    bool selected() const;

    // Parameters of materials and maps by internal name; maps come back as objects.
    Q_INVOKABLE QJSValue get(const QString& parameter) const;
    Q_INVOKABLE void set(const QString& parameter, const QJSValue& value);
    Q_INVOKABLE QStringList params() const;
    // Scene nodes.
    Q_INVOKABLE QJSValue getMaterial() const;
    Q_INVOKABLE void setMaterial(const QJSValue& material);
    Q_INVOKABLE void move(double x, double y, double z);
    Q_INVOKABLE void select(bool clearFirst = true);
    Q_INVOKABLE QString toString() const;

  private:
    // Throws a script error and answers null when the target is gone or not of the kind.
    ReferenceTarget* need(const char* what, bool (*fits)(ReferenceTarget*)) const;

    ScriptEngine& engine_;
    ReferenceTarget* target_;
};
