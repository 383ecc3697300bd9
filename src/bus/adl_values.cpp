#include "adl_values.h"

namespace pxu::modAutoDownload {

namespace {

quint8 byteAt(const QByteArray& value, int i) {
    return i < value.size() ? quint8(value[i]) : 0;
}

std::array<bool, kModuleCount> maskOf(quint8 low, quint8 high) {
    std::array<bool, kModuleCount> mask{};
    for (int n = 0; n < kModuleCount; ++n)
        mask[n] = readSingleModule(n, low, high);
    return mask;
}

} // namespace

bool readSingleModule(int bit, quint8 low, quint8 high) {
    const quint16 word = quint16(low | high << 8);
    return bit >= 0 && bit < 16 && (word >> bit & 1) != 0;
}

std::optional<quint16> AdlCommandValue::word(int command, int section, Error* error) {
    const auto fail = [error](Error e) -> std::optional<quint16> {
        if (error)
            *error = e;
        return std::nullopt;
    };
    if (error)
        *error = Error::None;
    switch (command) {
    case adlStartBootloader:
        return 0x0001;
    case adlStartApplication:
        return 0x0002;
    case adlDownloadSection:
        switch (section) {
        case 3:
            return 0x0010;
        case 4:
            return 0x0020;
        case 6:
            return 0x0040;
        case 7:
            return 0x0080;
        default:
            return fail(Error::InvalidSection);
        }
    case adlAbort:
        return 0x0100;
    case adlUnused:
        return 0x0004;
    case adlClear:
        return 0x3000;
    default:
        return fail(Error::InvalidCommand);
    }
}

std::optional<QByteArray> AdlCommandValue::encode(int command, quint16 mask, int section,
                                                  Error* error) {
    const std::optional<quint16> w = word(command, section, error);
    if (!w)
        return std::nullopt;
    QByteArray value(4, '\0');
    value[0] = char(mask & 0xFF);
    value[1] = char(mask >> 8);
    value[2] = char(*w & 0xFF);
    value[3] = char(*w >> 8);
    return value;
}

AdlModuleState AdlModuleState::decode(const QByteArray& value) {
    AdlModuleState s;
    s.application = maskOf(byteAt(value, 0), byteAt(value, 1));
    s.bootloader = maskOf(byteAt(value, 2), byteAt(value, 3));
    return s;
}

qint32 AdlModuleState::status(int module) const {
    if (application[module])
        return moduleApplicationRunning;
    if (bootloader[module])
        return moduleBootloaderRunning;
    return moduleNotConnected;
}

bool adlCommandPending(const QByteArray& value) {
    return adlCommandWord(value) > 0;
}

quint16 adlCommandWord(const QByteArray& value) {
    return quint16(byteAt(value, 2) | byteAt(value, 3) << 8);
}

AdlUpdateStatus AdlUpdateStatus::decode(const QByteArray& value) {
    const quint8 b0 = byteAt(value, 0);
    AdlUpdateStatus s;
    s.updateModule = b0 & 0x0F;
    s.field = (b0 & 0x70) / 16;
    s.flag = (b0 & 0x80) != 0;
    s.progress = (byteAt(value, 1) & 0x7F) / 100.0;
    s.attempt = byteAt(value, 2) & 0x1F;
    s.flag0 = (byteAt(value, 3) & 0x01) != 0;
    s.flag1 = (byteAt(value, 3) & 0x02) != 0;
    return s;
}

AdlUpdateFailure AdlUpdateFailure::decode(const QByteArray& value) {
    AdlUpdateFailure f;
    f.failureA = maskOf(byteAt(value, 2), byteAt(value, 3));
    f.failureB = maskOf(byteAt(value, 0), byteAt(value, 1));
    return f;
}

bool adlStandStill(const QByteArray& value) {
    return byteAt(value, 0) > 0;
}

} // namespace pxu::modAutoDownload
