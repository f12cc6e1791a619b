#pragma once
// Runs the staged norvane executable (which loads the real plug-in module
// from the install layout) and collects what it printed.

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

struct NorvaneRun
{
    int exitCode = -1;
    QString out, err;
};

inline NorvaneRun runNorvane(const QStringList& args, const QString& workingDir = QString())
{
    QProcess p;
    if (!workingDir.isEmpty())
        p.setWorkingDirectory(workingDir);
    p.start(QStringLiteral(NORVANE_EXECUTABLE), args);
    EXPECT_TRUE(p.waitForFinished(120000)) << "norvane did not finish: " << args.join(' ').toStdString();
    NorvaneRun r;
    r.exitCode = p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
    r.out = QString::fromUtf8(p.readAllStandardOutput());
    r.err = QString::fromUtf8(p.readAllStandardError());
    return r;
}

inline QString examplesDir()
{
    return QStringLiteral(ROZO_MATERIALX_DATA_DIR "/examples");
}
inline QString example(const char* name)
{
    return examplesDir() + "/" + name;
}

inline QString readText(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? QString::fromUtf8(f.readAll()) : QString();
}

// A temporary folder to write scripts, scenes and documents into.
class NorvaneTest : public ::testing::Test
{
  protected:
    QString path(const QString& name) const { return dir.filePath(name); }

    // Writes the script and runs it with `norvane script`.
    NorvaneRun script(const QString& source)
    {
        const QString file = path("test.js");
        QFile f(file);
        EXPECT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        f.write(source.toUtf8());
        f.close();
        return runNorvane({ "script", file }, dir.path());
    }

    QTemporaryDir dir;
};

inline std::string show(const NorvaneRun& r)
{
    return "exit " + std::to_string(r.exitCode) + "\n--- out:\n" + r.out.toStdString() + "--- err:\n" + r.err.toStdString();
}
