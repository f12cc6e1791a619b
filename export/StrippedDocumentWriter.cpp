#include "export/StrippedDocumentWriter.h"

#include "plugin/contracts/AtomicFileWrite.h"

#include <QFile>

#include <exception>
#include <streambuf>
#include <string_view>

namespace rozo
{
namespace
{
// Passes on the lines of the text written to it, except the include lines.
// Lines stay bytes: whatever the text codec or locale, names and paths reach
// the output exactly as the writer produced them.
class StrippingBuffer : public std::streambuf
{
  public:
    explicit StrippingBuffer(const AtomicContentSink& sink) :
        _sink(sink) {}

    // The last line, which may lack its end; false once a piece could not be written.
    bool finish()
    {
        if (!_line.empty())
            passLine(_line);
        _line.clear();
        return !_failed;
    }

  protected:
    std::streamsize xsputn(const char* s, std::streamsize n) override
    {
        take(std::string_view(s, static_cast<size_t>(n)));
        return _failed ? 0 : n;
    }
    int_type overflow(int_type c) override
    {
        if (traits_type::eq_int_type(c, traits_type::eof()))
            return traits_type::not_eof(c);
        const char ch = traits_type::to_char_type(c);
        take(std::string_view(&ch, 1));
        return _failed ? traits_type::eof() : c;
    }

  private:
    void take(std::string_view text)
    {
        while (!text.empty() && !_failed)
        {
            const size_t end = text.find('\n');
            if (end == std::string_view::npos)
            {
                _line.append(text.data(), text.size());
                return;
            }
            const std::string_view piece = text.substr(0, end + 1);
            text.remove_prefix(end + 1);
            if (_line.empty())
            {
                passLine(piece);
            }
            else
            {
                _line.append(piece.data(), piece.size());
                passLine(_line);
                _line.clear();
            }
        }
    }
    void passLine(std::string_view line)
    {
        if (line.find("<xi:include") == std::string_view::npos && !_sink(line))
            _failed = true;
    }

    const AtomicContentSink& _sink;
    std::string _line; // the line being written, when it came in pieces
    bool _failed = false;
};
} // namespace

bool writeStrippedDocument(const std::function<void(std::ostream&)>& write, const QString& outputFile)
{
    std::exception_ptr thrown;
    const bool written = writeFileAtomically(QFile::encodeName(outputFile).toStdString(),
                                             [&](const AtomicContentSink& sink) {
                                                 StrippingBuffer buffer(sink);
                                                 std::ostream stream(&buffer);
                                                 try
                                                 {
                                                     write(stream);
                                                 }
                                                 catch (...)
                                                 {
                                                     thrown = std::current_exception();
                                                     return false;
                                                 }
                                                 return buffer.finish() && !stream.bad();
                                             });
    if (thrown)
        std::rethrow_exception(thrown);
    return written;
}

bool writeStrippedDocument(const std::string& document, const QString& outputFile)
{
    return writeStrippedDocument([&](std::ostream& stream) { stream.write(document.data(), document.size()); },
                                 outputFile);
}
} // namespace rozo
