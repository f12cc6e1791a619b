#include "import/DocumentReading.h"

#include "import/StandardLibraries.h"
#include "import/SurfaceTranslation.h"
#include "import/ImportOperations.h"

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
} // namespace rozo

mx::DocumentPtr rozo::ImportOperations::readImportDocument(const std::string& path)
{
    mx::DocumentPtr doc = mx::createDocument();
    mx::XmlReadOptions readOptions;
    mx::readFromXmlFile(doc, mx::FilePath(path), librarySearchPath, &readOptions);
    rozo::removeStandardSurfaceGraphs(doc);
    doc->importLibrary(libraryDocument);
    // A user graph that implements standard_surface is found only once the
    // library's definitions are merged.
    rozo::removeStandardSurfaceGraphs(doc);
    rozo::translateSurfaceShaders(doc);

    rozo::writeDiagnosticCopy(doc, "preflat.xml");

    std::string message;
    if (!doc->validate(&message))
        messageLog << "Validation failed:\n"
                   << message;

    doc->flattenSubgraphs();

    message.clear();
    if (!doc->validate(&message))
        messageLog << "Post-flatten validation failed:\n"
                   << message;

    rozo::writeDiagnosticCopy(doc, "postflat.xml");
    return doc;
}
