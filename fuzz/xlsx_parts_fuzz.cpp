// Feeds arbitrary XML to the readers of a workbook's parts; the first byte chooses the part.
// Besides memory errors it checks that every input is either read or refused with a reason.
#include "platform/xlsx/package_relations.h"
#include "platform/xlsx/shared_strings.h"
#include "platform/xlsx/sheet_list.h"
#include "platform/xlsx/worksheet_reader.h"

#include <cstdint>
#include <cstdlib>

using namespace pxu::xlsx;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0)
        return 0;
    const QByteArray xml(reinterpret_cast<const char*>(data + 1), qsizetype(size - 1));
    QString error;
    bool read = false;
    switch (data[0] % 4) {
    case 0: {
        Worksheet sheet;
        read = readWorksheet(xml, {QStringLiteral("a"), QStringLiteral("b")}, sheet, &error);
        if (sheet.lastRow() < 0 || sheet.lastColumn() < 0)
            std::abort();
        break;
    }
    case 1:
        read = parseSharedStrings(xml, &error).has_value();
        break;
    case 2:
        read = parseRelations(xml, QStringLiteral("xl/workbook.xml"), &error).has_value();
        break;
    default:
        read = parseSheetList(xml, &error).has_value();
        break;
    }
    if (read != error.isEmpty())
        std::abort();
    return 0;
}
