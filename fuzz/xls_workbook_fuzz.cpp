// Feeds arbitrary bytes as a legacy workbook (.xls) to its reader: the compound file, the
// records, the list of texts and the cells. Besides memory errors it checks that every input
// is either read or refused with a reason that names the file.
#include "platform/xlsx/xls_reader.h"

#include <cstdint>
#include <cstdlib>

using namespace pxu::xlsx;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QString path = QStringLiteral("/signal lists/input.xls");
    const QByteArray bytes(reinterpret_cast<const char*>(data), qsizetype(size));
    XlsReader reader;
    std::vector<Worksheet> sheets;
    const bool read = reader.read(path, bytes, sheets);
    if (read != reader.error().isEmpty() || (!read && !sheets.empty()) ||
        (!read && !reader.error().startsWith(u'"' + path + u'"')))
        std::abort();
    for (const Worksheet& sheet : sheets) {
        if (sheet.lastRow() < 0 || sheet.lastColumn() < 0)
            std::abort();
    }
    return 0;
}
