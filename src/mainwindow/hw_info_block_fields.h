#pragma once

#include <QByteArray>
#include <QString>
#include <optional>

namespace pxu {

// The four values of a hardware info block that the repair window shows and writes:
// hardware version, production week and year, serial number.
struct HwInfoBlockFields {
    QString serial;             // decimal, "-1" for a block without serial (FF FF FF FF)
    bool serialPresent = false; // the block carries a serial number
    QString version;            // decimal, at least two digits ("07")
    bool dateRead = false;      // week and year hold a valid production date
    QString week;               // at least two digits ("05")
    QString year;               // four digits
};

// Reads the block as the repair window shows it. Week and year are two ASCII digits each
// (the year's last two: below 80 in this century); when that gives no valid date, older
// blocks hold them as 16-bit numbers.
HwInfoBlockFields readHwInfoBlockFields(const QByteArray& block);

// A text that is wholly a decimal integer (blanks around it allowed, a leading "-") within
// min to max.
std::optional<qint64> wholeNumber(const QString& text, qint64 min, qint64 max);
// The serial numbers the block's four bytes can hold, as the user types them.
std::optional<qint64> serialNumber(const QString& text);
// Week 1 to 52 and year 1980 to 2079, each wholly a number.
bool validateProductionDate(const QString& week, const QString& year);
// A number with at least two digits (7 gives "07", -1 gives "-01").
QString twoDigits(qint64 value);

// The block cut or zero-filled to the hardware info block's 312 bytes.
QByteArray paddedHwInfoBlock(QByteArray block);

// The template block (padded) with the four values written in and its checksum sealed;
// every other byte stays the template's. Week and year must have passed
// validateProductionDate.
QByteArray repairedHwInfoBlock(const QByteArray& templateBlock, qint32 hardwareVersion,
                               qint64 serial, int week, int year);

} // namespace pxu
