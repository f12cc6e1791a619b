#ifndef MATERIALX_XMLTEXTWRITER_H
#define MATERIALX_XMLTEXTWRITER_H

/// @file
/// The XML text of a document, written element by element without building
/// an XML tree first: the same bytes as the tree's two-space indented form.

#include <MaterialXFormat/XmlIo.h>

#include <iosfwd>

MATERIALX_NAMESPACE_BEGIN

/// Append the XML text of `doc` to `out`. With a stream given, the text is
/// handed to it in pieces and `out` only buffers.
MX_FORMAT_API void writeXmlText(const Document& doc, string& out, std::ostream* stream, const XmlWriteOptions* writeOptions);

MATERIALX_NAMESPACE_END

#endif
