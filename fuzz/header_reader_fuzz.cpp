// Feeds arbitrary bytes to the header reader as one header file, then as a second file
// with the names of the first. Besides memory errors and hangs it checks that each row
// and warning lies on a line of the file and that each failure names one and says why.
#include "dcdatabase/header_reader.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>

using namespace pxu::dc;

namespace {

class CheckingSink : public HeaderReaderSink {
public:
    explicit CheckingSink(int lines)
        : m_lines(lines) {}

    void define(const QString& name, qint32, int line) override { check(line, name); }
    void member(const HeaderMember& member) override { check(member.line, member.name); }
    void warning(int line, const QString& text) override { check(line, text); }
    void progress(double fraction) override {
        m_progress += fraction;
        if (fraction < 0 || m_progress > 1.000001)
            std::abort();
    }

    void check(int line, const QString& text) const {
        if (line < 1 || line > m_lines || text.isEmpty())
            std::abort();
    }

private:
    int m_lines;
    double m_progress = 0;
};

int lineCount(std::string_view bytes) {
    if (bytes.empty())
        return 0;
    return int(std::count(bytes.begin(), bytes.end(), '\n')) + (bytes.back() == '\n' ? 0 : 1);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    HeaderSymbols symbols;
    for (const char* file : {"global.h", "library.h"}) {
        symbols.setFile(QString::fromLatin1(file));
        CheckingSink sink(lineCount(bytes));
        try {
            readHeader(bytes, symbols, sink);
        } catch (const HeaderError& error) {
            sink.check(error.line, error.text);
        }
    }
    return 0;
}
