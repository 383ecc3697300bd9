#pragma once

#include <QString>
#include <QtGlobal>

namespace pxu::can {

// SDO abort codes. A server may send any 32-bit value; the names cover the common ones.
enum class SdoAbort : quint32 {
    None = 0,
    ToggleBit = 0x05030000,
    Timeout = 0x05040000,
    CommandSpecifier = 0x05040001,
    BlockSize = 0x05040002,
    SequenceNumber = 0x05040003,
    Crc = 0x05040004,
    OutOfMemory = 0x05040005,
    UnsupportedAccess = 0x06010000,
    WriteOnly = 0x06010001,
    ReadOnly = 0x06010002,
    NoObject = 0x06020000,
    Hardware = 0x06060000,
    LengthMismatch = 0x06070010,
    LengthTooHigh = 0x06070012,
    LengthTooLow = 0x06070013,
    NoSubIndex = 0x06090011,
    InvalidValue = 0x06090030,
    General = 0x08000000,
    NotStored = 0x08000020,
    NotStoredLocalControl = 0x08000021,
    NotStoredDeviceState = 0x08000022,
};

// A short English description, "abort code 0x........" for codes without a name.
QString sdoAbortText(SdoAbort code);

} // namespace pxu::can
