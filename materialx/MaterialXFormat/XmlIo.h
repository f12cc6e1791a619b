#ifndef MATERIALX_XMLIO_H
#define MATERIALX_XMLIO_H

/// @file
/// Reading and writing MaterialX documents as XML

#include <MaterialXCore/Document.h>

#include <MaterialXFormat/Export.h>
#include <MaterialXFormat/File.h>

#include <iosfwd>

MATERIALX_NAMESPACE_BEGIN

class XmlReadOptions;

extern MX_FORMAT_API const string MTLX_EXTENSION;

/// How many XIncludes may be read one inside the other.
extern MX_FORMAT_API const int MAX_XINCLUDE_DEPTH;
/// How deep elements may nest below the document when read.
extern MX_FORMAT_API const int MAX_XML_TREE_DEPTH;

/// A function that reads a document from a file: used to follow XIncludes.
using XmlReadFunction = std::function<void(DocumentPtr, const FilePath&, const FileSearchPath&, const XmlReadOptions*)>;

/// @class XmlReadOptions
/// Options for reading documents from XML.
class MX_FORMAT_API XmlReadOptions
{
  public:
    XmlReadOptions();
    ~XmlReadOptions() {}

    /// Keep XML comments as comment elements.
    bool readComments;
    /// Keep blank lines as newline elements.
    bool readNewlines;
    /// Bring older documents up to the current version.
    bool upgradeVersion;
    /// The function that reads included files; an empty function skips
    /// XIncludes (their directives are dropped).  Defaults to readFromXmlFile.
    XmlReadFunction readXIncludeFunction;
    /// The files of the XInclude chain being read, outermost first.
    StringVec parentXIncludes;
};

/// @class XmlWriteOptions
/// Options for writing documents to XML.
class MX_FORMAT_API XmlWriteOptions
{
  public:
    XmlWriteOptions();
    ~XmlWriteOptions() {}

    /// Write each top-level element that came from another file as one
    /// XInclude of that file instead of writing it out.
    bool writeXIncludeEnable;
    /// When set, only elements for which it returns true are written.
    ElementPredicate elementPredicate;
};

/// @class ExceptionParseError
/// Thrown when a document cannot be parsed.
class MX_FORMAT_API ExceptionParseError : public Exception
{
  public:
    using Exception::Exception;
};

/// @class ExceptionFileMissing
/// Thrown when a file cannot be opened.
class MX_FORMAT_API ExceptionFileMissing : public Exception
{
  public:
    using Exception::Exception;
};

/// @name Reading
/// @{

/// Read a document from a file, found through the search path (and the
/// MATERIALX_SEARCH_PATH environment variable), following XIncludes.
/// @throws ExceptionParseError for malformed XML or an XInclude cycle.
/// @throws ExceptionFileMissing when the file cannot be opened.
MX_FORMAT_API void readFromXmlFile(DocumentPtr doc, FilePath filename, FileSearchPath searchPath = FileSearchPath(),
                                   const XmlReadOptions* readOptions = nullptr);

/// Read a document from a string.
MX_FORMAT_API void readFromXmlString(DocumentPtr doc, const string& str, const FileSearchPath& searchPath = FileSearchPath(),
                                     const XmlReadOptions* readOptions = nullptr);

/// Read a document from a stream.
MX_FORMAT_API void readFromXmlStream(DocumentPtr doc, std::istream& stream, FileSearchPath searchPath = FileSearchPath(),
                                     const XmlReadOptions* readOptions = nullptr);

/// Read a document from a null-terminated buffer.
MX_FORMAT_API void readFromXmlBuffer(DocumentPtr doc, const char* buffer, FileSearchPath searchPath = FileSearchPath(),
                                     const XmlReadOptions* readOptions = nullptr);
/// @}

/// @name Writing
/// @{

/// Write a document to a file.  Failures to open the file are silent, as
/// with the reference library.
MX_FORMAT_API void writeToXmlFile(DocumentPtr doc, const FilePath& filename, const XmlWriteOptions* writeOptions = nullptr);

/// Write a document to a stream.
MX_FORMAT_API void writeToXmlStream(DocumentPtr doc, std::ostream& stream, const XmlWriteOptions* writeOptions = nullptr);

/// Write a document to a string.
MX_FORMAT_API string writeToXmlString(DocumentPtr doc, const XmlWriteOptions* writeOptions = nullptr);
/// @}

/// Add an XInclude reference to the top of a document, as a comment-free
/// element that the writer turns into an xi:include line.
MX_FORMAT_API void prependXInclude(DocumentPtr doc, const FilePath& filename);

MATERIALX_NAMESPACE_END

#endif
