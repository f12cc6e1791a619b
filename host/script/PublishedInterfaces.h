#pragma once
// The plug-ins' static interfaces as script objects: one object per interface
// (named by its internal name), one function per published function. Arguments
// and results are converted by the descriptor's type codes.

#include <QJSValue>
#include <QObject>
#include <QStringList>

#include <vector>

class FPStaticInterface;
class ScriptEngine;

class PublishedInterfaces : public QObject
{
    Q_OBJECT
  public:
    explicit PublishedInterfaces(ScriptEngine& engine);

    // Publishes the registry's valid interfaces not yet published; answers their names.
    QStringList publishNew();

    // Called by the script functions: function `fid` of interface number `index`.
    Q_INVOKABLE QJSValue invoke(int index, int fid, const QJSValue& arguments);

  private:
    ScriptEngine& engine_;
    std::vector<FPStaticInterface*> published_;
    QJSValue makeObject_;
};
