#pragma once

#include <QStringView>
#include <optional>

namespace pxu {

// The record types the writer emits for one address width.
struct SRecordFamily {
    char dataType;       // '1', '2' or '3'
    int addressBytes;    // 2, 3 or 4
    char terminatorType; // '9', '8' or '7'

    quint64 maxAddress() const { return (quint64(1) << (8 * addressBytes)) - 1; }
};

// "S19", "S28" or "S37", letter for letter; any other text has no family.
std::optional<SRecordFamily> sRecordFamily(QStringView formatText);

// The address width of a data record type, 0 for a type that is no data record.
constexpr int addressBytesOfDataType(char type) {
    return type == '1' ? 2 : type == '2' ? 3 : type == '3' ? 4 : 0;
}

} // namespace pxu
