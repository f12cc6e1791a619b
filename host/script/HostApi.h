#pragma once
// The model as scripts see it, the global object "Norvane": scene nodes,
// classes, materials and maps, editor slots, the material library, undo and
// scene files. Functions that change the model make one undo step each.

#include <QJSValue>
#include <QObject>
#include <QString>

#include "NorvaneTypes.h"

class ReferenceTarget;
class ScriptEngine;

class HostApi : public QObject
{
    Q_OBJECT
    Q_PROPERTY(int time READ time WRITE setTime)
    Q_PROPERTY(int undoCount READ undoCount)
    Q_PROPERTY(int redoCount READ redoCount)
    Q_PROPERTY(int editorSlots READ editorSlots)

  public:
    explicit HostApi(ScriptEngine& engine);

    int time() const;
    void setTime(int t);
    int undoCount() const;
    int redoCount() const;
    int editorSlots() const;

    // Scene nodes: a new teapot node, optionally with a material.
    Q_INVOKABLE QJSValue createNode(const QString& name, const QJSValue& material = QJSValue());
    Q_INVOKABLE QJSValue nodes();
    Q_INVOKABLE QJSValue findNode(const QString& name);
    Q_INVOKABLE void deleteNode(const QJSValue& node);
    Q_INVOKABLE QJSValue selection();
    // A node or an array of nodes; the selection is replaced unless `add`.
    Q_INVOKABLE void select(const QJSValue& nodes, bool add = false);
    Q_INVOKABLE void clearSelection();

    // Classes by internal or class name ("Physical Material", "OSL Map", ...).
    Q_INVOKABLE QStringList classes(const QString& kind = QString());
    Q_INVOKABLE QJSValue createMaterial(const QString& className);
    Q_INVOKABLE QJSValue createMap(const QString& className);

    // Material editor slots (0-based).
    Q_INVOKABLE QJSValue editorSlot(int slot);
    Q_INVOKABLE void setEditorSlot(int slot, const QJSValue& material);

    // The current material library.
    Q_INVOKABLE QJSValue library();
    Q_INVOKABLE void addToLibrary(const QJSValue& material);
    Q_INVOKABLE bool loadLibrary(const QString& path);
    Q_INVOKABLE bool saveLibrary(const QString& path);

    Q_INVOKABLE bool undo();
    Q_INVOKABLE bool redo();

    Q_INVOKABLE bool saveScene(const QString& path);
    Q_INVOKABLE bool loadScene(const QString& path);
    Q_INVOKABLE void newScene();
    // The message of the last failed file operation.
    Q_INVOKABLE QString lastError() const;

  private:
    bool validSlot(int slot, const char* function);
    QJSValue create(const QString& className, SClass_ID family, const char* what);
    ReferenceTarget* needObject(const QJSValue& v, SClass_ID family, const char* function, bool nullable);
    template <typename Range>
    QJSValue array(const Range& objects);

    ScriptEngine& engine_;
};
