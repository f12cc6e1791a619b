#include <MaterialXFormat/XmlTextWriter.h>

#include <algorithm>
#include <cstring>
#include <ostream>

MATERIALX_NAMESPACE_BEGIN

namespace
{

const char* const XINCLUDE_TAG = "xi:include";
const char* const XINCLUDE_NAMESPACE = "xmlns:xi";
const char* const XINCLUDE_URL = "http://www.w3.org/2001/XInclude";
// What XML gets for an empty element or attribute name.
const char* const ANONYMOUS_NAME = ":anonymous";
const char* const INDENT = "  ";
// Text handed to a stream at a time.
const size_t FLUSH_SIZE = 1 << 16;

class TextWriter
{
  public:
    TextWriter(const Document& doc, string& out, std::ostream* stream, const XmlWriteOptions* options) :
        out_(out),
        stream_(stream),
        writeXInclude_(options ? options->writeXIncludeEnable : true),
        predicate_(options && options->elementPredicate ? &options->elementPredicate : nullptr),
        documentUri_(doc.getSourceUri())
    {
    }

    void writeDocument(const Document& doc)
    {
        out_ += "<?xml version=\"1.0\"?>\n";
        const bool addNamespace = needsXIncludeNamespace(doc) && !hasAttribute(doc, XINCLUDE_NAMESPACE);
        writeElement(doc, 0, addNamespace);
        flush(true);
    }

  private:
    // The text stops at a NUL, as it does in an XML tree's strings.
    static size_t textLength(const string& s)
    {
        const size_t nul = s.find('\0');
        return nul == string::npos ? s.size() : nul;
    }

    void writeName(const string& name)
    {
        const size_t length = textLength(name);
        if (length == 0)
            out_ += ANONYMOUS_NAME;
        else
            out_.append(name, 0, length);
    }

    void writeEscaped(const string& value)
    {
        const size_t length = textLength(value);
        size_t plain = 0;
        for (size_t i = 0; i < length; ++i)
        {
            const unsigned char c = static_cast<unsigned char>(value[i]);
            if (c >= 32 && c != '&' && c != '<' && c != '"')
                continue;
            out_.append(value, plain, i - plain);
            plain = i + 1;
            switch (c)
            {
                case '&':
                    out_ += "&amp;";
                    break;
                case '<':
                    out_ += "&lt;";
                    break;
                case '"':
                    out_ += "&quot;";
                    break;
                default:
                    out_ += "&#";
                    out_ += static_cast<char>('0' + c / 10);
                    out_ += static_cast<char>('0' + c % 10);
                    out_ += ';';
                    break;
            }
        }
        out_.append(value, plain, length - plain);
    }

    void writeAttribute(const string& name, const string& value)
    {
        out_ += ' ';
        writeName(name);
        out_ += "=\"";
        writeEscaped(value);
        out_ += '"';
    }

    // A "-" before another or at the end is set apart, as comments require.
    void writeComment(const string& text)
    {
        const size_t length = textLength(text);
        out_ += "<!--";
        for (size_t i = 0; i < length; ++i)
        {
            out_ += text[i];
            if (text[i] == '-' && (i + 1 == length || text[i + 1] == '-'))
                out_ += ' ';
        }
        out_ += "-->";
    }

    void indent(int depth)
    {
        for (int i = 0; i < depth; ++i)
            out_ += INDENT;
    }

    static bool hasAttribute(const Element& elem, const char* name)
    {
        if (!elem.getName().empty() && std::strcmp(name, "name") == 0)
            return true;
        const vector<AttributePair>& attributes = elem.getAttributePairs();
        return std::any_of(attributes.begin(), attributes.end(),
                           [name](const AttributePair& attr) { return attr.first == name; });
    }

    bool written(const ElementPtr& child) const { return !predicate_ || (*predicate_)(child); }

    bool writtenAsInclude(const ElementPtr& child) const
    {
        return writeXInclude_ && child->hasSourceUri() && child->getSourceUri() != documentUri_;
    }

    // Whether some element below `elem` is written as an include: the root
    // then declares the include namespace, after its own attributes.
    bool needsXIncludeNamespace(const Element& elem) const
    {
        vector<const Element*> pending{ &elem };
        while (!pending.empty())
        {
            const Element* current = pending.back();
            pending.pop_back();
            for (const ElementPtr& child : current->getChildren())
            {
                if (!written(child))
                    continue;
                if (writtenAsInclude(child))
                    return true;
                if (child->getCategory() != CommentElement::CATEGORY && child->getCategory() != NewlineElement::CATEGORY)
                    pending.push_back(child.get());
            }
        }
        return false;
    }

    // The children an element writes: comments, includes (one per file) and elements.
    struct Frame
    {
        const Element* elem;
        size_t next;
        vector<const string*> includes;
        bool open;
    };

    void writeElement(const Element& root, int rootDepth, bool addNamespace)
    {
        // Deep documents are written without deep recursion.
        vector<Frame> stack;
        auto start = [&](const Element& elem, bool withNamespace) {
            indent(rootDepth + static_cast<int>(stack.size()));
            out_ += '<';
            writeName(elem.getCategory());
            if (!elem.getName().empty())
                writeAttribute("name", elem.getName());
            for (const AttributePair& attr : elem.getAttributePairs())
                writeAttribute(attr.first, attr.second);
            if (withNamespace)
                writeAttribute(XINCLUDE_NAMESPACE, XINCLUDE_URL);
            stack.push_back(Frame{ &elem, 0, {}, false });
        };
        start(root, addNamespace);
        while (!stack.empty())
        {
            Frame& frame = stack.back();
            const vector<ElementPtr>& children = frame.elem->getChildren();
            if (frame.next == children.size())
            {
                const bool open = frame.open;
                const Element* elem = frame.elem;
                stack.pop_back();
                if (open)
                {
                    indent(rootDepth + static_cast<int>(stack.size()));
                    out_ += "</";
                    writeName(elem->getCategory());
                    out_ += ">\n";
                }
                else
                    out_ += " />\n";
                flush(false);
                continue;
            }
            const ElementPtr& child = children[frame.next++];
            if (!written(child))
                continue;
            const int depth = rootDepth + static_cast<int>(stack.size());
            if (writtenAsInclude(child))
            {
                const string& sourceUri = child->getSourceUri();
                if (std::any_of(frame.includes.begin(), frame.includes.end(),
                                [&sourceUri](const string* s) { return *s == sourceUri; }))
                    continue;
                frame.includes.push_back(&sourceUri);
                openParent(frame);
                indent(depth);
                out_ += '<';
                out_ += XINCLUDE_TAG;
                FilePath includePath(sourceUri);
                // Relative includes in POSIX form, absolute ones in the platform's.
                FilePath::Format format = includePath.isAbsolute() ? FilePath::FormatNative : FilePath::FormatPosix;
                writeAttribute("href", includePath.asString(format));
                out_ += " />\n";
                continue;
            }
            if (child->getCategory() == CommentElement::CATEGORY)
            {
                openParent(frame);
                indent(depth);
                writeComment(child->getDocString());
                out_ += '\n';
                continue;
            }
            if (child->getCategory() == NewlineElement::CATEGORY)
                continue;
            openParent(frame);
            start(*child, false);
        }
    }

    void openParent(Frame& frame)
    {
        if (!frame.open)
        {
            out_ += ">\n";
            frame.open = true;
        }
    }

    void flush(bool all)
    {
        if (stream_ && (all || out_.size() >= FLUSH_SIZE))
        {
            stream_->write(out_.data(), static_cast<std::streamsize>(out_.size()));
            out_.clear();
        }
    }

    string& out_;
    std::ostream* stream_;
    bool writeXInclude_;
    const ElementPredicate* predicate_;
    const string& documentUri_;
};

} // anonymous namespace

void writeXmlText(const Document& doc, string& out, std::ostream* stream, const XmlWriteOptions* writeOptions)
{
    TextWriter writer(doc, out, stream, writeOptions);
    writer.writeDocument(doc);
}

MATERIALX_NAMESPACE_END
