#include "sdo_abort.h"

namespace pxu::can {

QString sdoAbortText(SdoAbort code) {
    switch (code) {
    case SdoAbort::None:
        return QStringLiteral("no abort");
    case SdoAbort::ToggleBit:
        return QStringLiteral("toggle bit not alternated");
    case SdoAbort::Timeout:
        return QStringLiteral("SDO protocol timed out");
    case SdoAbort::CommandSpecifier:
        return QStringLiteral("command specifier not valid or unknown");
    case SdoAbort::BlockSize:
        return QStringLiteral("invalid block size");
    case SdoAbort::SequenceNumber:
        return QStringLiteral("invalid sequence number");
    case SdoAbort::Crc:
        return QStringLiteral("CRC error");
    case SdoAbort::OutOfMemory:
        return QStringLiteral("out of memory");
    case SdoAbort::UnsupportedAccess:
        return QStringLiteral("unsupported access to an object");
    case SdoAbort::WriteOnly:
        return QStringLiteral("attempt to read a write only object");
    case SdoAbort::ReadOnly:
        return QStringLiteral("attempt to write a read only object");
    case SdoAbort::NoObject:
        return QStringLiteral("object does not exist in the object dictionary");
    case SdoAbort::Hardware:
        return QStringLiteral("access failed due to a hardware error");
    case SdoAbort::LengthMismatch:
        return QStringLiteral("length of service parameter does not match");
    case SdoAbort::LengthTooHigh:
        return QStringLiteral("length of service parameter too high");
    case SdoAbort::LengthTooLow:
        return QStringLiteral("length of service parameter too low");
    case SdoAbort::NoSubIndex:
        return QStringLiteral("sub-index does not exist");
    case SdoAbort::InvalidValue:
        return QStringLiteral("invalid value for parameter");
    case SdoAbort::General:
        return QStringLiteral("general error");
    case SdoAbort::NotStored:
        return QStringLiteral("data cannot be transferred or stored");
    case SdoAbort::NotStoredLocalControl:
        return QStringLiteral("data cannot be transferred or stored because of local control");
    case SdoAbort::NotStoredDeviceState:
        return QStringLiteral("data cannot be transferred or stored in the present device state");
    }
    return QStringLiteral("abort code 0x%1").arg(quint32(code), 8, 16, QLatin1Char('0'));
}

} // namespace pxu::can
