#pragma once

#include <QByteArray>
#include <QtGlobal>

namespace pxu::sim {

// Application code for demos and tests: size bytes (at least 3) of filler whose CRC-32
// ends in the 16 bits given, so that a build map keyed by the CRC's last four hexadecimal
// digits knows it. The last three bytes are chosen to make it so.
QByteArray applicationImage(int size, quint16 crcLow16, quint32 seed = 0);

// The image as an S-record file: an S0 header, S2 records (24-bit addresses) from
// the start address, 16 bytes each, and an S8 end record; CR LF line ends.
QByteArray s28Records(const QByteArray& image, quint32 startAddress);

} // namespace pxu::sim
