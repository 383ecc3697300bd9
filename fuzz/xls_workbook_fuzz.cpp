// Feeds arbitrary bytes as a legacy workbook (.xls) to its reader: the compound file, the
// cell records and the format's reader behind them. Besides memory errors it checks that
// every input is either read or refused with a reason that names the file.
#include "platform/xlsx/xls_reader.h"

#include <QFile>
#include <QTemporaryDir>
#include <cstdint>
#include <cstdlib>

using namespace pxu::xlsx;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    // The format's reader takes a path only.
    static QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("input.xls"));
    const QByteArray bytes(reinterpret_cast<const char*>(data), qsizetype(size));
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) || file.write(bytes) != bytes.size())
        std::abort();
    file.close();

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
