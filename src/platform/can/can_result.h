#pragma once

#include <QtGlobal>

// Result codes of the CAN interface. Every operation returns one; only kSuccess is success.
namespace pxu::can::result {

inline constexpr qint32 kSuccess = 1;
inline constexpr qint32 kGeneralError = 0;       // an SDO transfer that failed on the bus
inline constexpr qint32 kHardwareError = -1;     // the channel cannot be opened
inline constexpr qint32 kParameterError = -3;    // an argument out of range
inline constexpr qint32 kResourceError = -4;     // another SDO transfer is running
inline constexpr qint32 kQueueOverrun = -5;      // received frames were dropped
inline constexpr qint32 kTransmissionError = -6; // the transport refused a frame
inline constexpr qint32 kAlreadyStarted = 0x7000;
inline constexpr qint32 kPassiveMode = 0x7001;    // board open, CAN not started
inline constexpr qint32 kInterfaceError = 0x7002; // no board open
inline constexpr qint32 kQueueEmpty = 0x7003;

} // namespace pxu::can::result
