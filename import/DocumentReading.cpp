#include "import/DocumentReading.h"

#include "import/StandardLibraries.h"
#include "import/SurfaceTranslation.h"
#include "import/ImportRun.h"

#include <MaterialXFormat/XmlIo.h>

#include <QDir>
#include <QFileInfo>

#include <exception>

namespace rozo
{
namespace
{
const char* const DIAGNOSTIC_FOLDER_NAME = "RozozazoZOV";

// A debugging aid only: any failure to write it is silent.
void writeDiagnosticCopy(const mx::DocumentPtr& doc, const char* fileName)
{
    const QString folder = diagnosticFolder();
    if (folder.isEmpty())
        return;
    mx::XmlWriteOptions options;
    options.writeXIncludeEnable = true;
    try
    {
        const QString path = QDir(folder).filePath(QString::fromLatin1(fileName));
        mx::writeToXmlFile(doc, mx::FilePath(path.toStdString()), &options);
    }
    catch (const std::exception&)
    {
    }
}
} // namespace

QString diagnosticFolder()
{
    // Qt answers an empty path for a temporary folder that does not exist;
    // that must never turn into the current folder.
    const QString tempPath = QDir::tempPath();
    if (tempPath.isEmpty() || !QFileInfo(tempPath).isDir())
        return QString();
    QDir temp(tempPath);
    const QString name = QString::fromLatin1(DIAGNOSTIC_FOLDER_NAME);
    if (!temp.mkpath(name))
        return QString();
    return temp.filePath(name);
}

mx::DocumentPtr ImportRun::readImportDocument(const std::string& path)
{
    mx::DocumentPtr doc = mx::createDocument();
    mx::XmlReadOptions readOptions;
    mx::readFromXmlFile(doc, mx::FilePath(path), settings_.librarySearchPath, &readOptions);
    removeStandardSurfaceGraphs(doc);
    doc->importLibrary(settings_.libraryDocument);
    // A user graph that implements standard_surface is found only once the
    // library's definitions are merged.
    removeStandardSurfaceGraphs(doc);
    translateSurfaceShaders(doc);

    writeDiagnosticCopy(doc, "preflat.xml");

    std::string message;
    if (!doc->validate(&message))
        messageLog.report("Validation failed:\n" + message, doc->getNamePath());

    doc->flattenSubgraphs();

    message.clear();
    if (!doc->validate(&message))
        messageLog.report("Post-flatten validation failed:\n" + message, doc->getNamePath());

    writeDiagnosticCopy(doc, "postflat.xml");
    return doc;
}
} // namespace rozo
