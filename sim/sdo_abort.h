#pragma once

#include <QtGlobal>

namespace pxu::sim {

// CANopen SDO abort codes the modules answer with. None means "no abort".
enum class SdoAbort : quint32 {
    None = 0,
    ToggleBit = 0x05030000,
    Timeout = 0x05040000,
    UnknownCommand = 0x05040001,
    InvalidBlockSize = 0x05040002,
    InvalidSequence = 0x05040003,
    BlockCrc = 0x05040004,
    OutOfMemory = 0x05040005,
    UnsupportedAccess = 0x06010000,
    WriteOnly = 0x06010001,
    ReadOnly = 0x06010002,
    NoObject = 0x06020000,
    LengthMismatch = 0x06070010,
    LengthTooHigh = 0x06070012,
    LengthTooLow = 0x06070013,
    NoSubIndex = 0x06090011,
    InvalidValue = 0x06090030,
    General = 0x08000000,
    CannotStore = 0x08000020,
    LocalControl = 0x08000021,
    DeviceState = 0x08000022,
};

} // namespace pxu::sim
