#pragma once

#include "bus/bus_hooks.h"

#include <QByteArray>
#include <QString>
#include <bitset>

namespace pxu {

// The engine's system information as the modules reported it since the last reset. A
// field at its reset value has not been read; -1 marks an unread number of 32 bits (a CRC
// with bit 31 set is read).
struct SystemInformation {
    qint32 firstApplicationCrc = -1; // the CRC expected after the update; never reset here
    qint16 noOfCyl = 0;
    qint16 developer = 0;
    qint16 build = 0;
    QString hullNumber = QString(16, QLatin1Char(' '));
    qint16 hullNumberChunks = 0; // distinct chunks received
    QString engineType = QString(16, QLatin1Char(' '));
    qint16 engineTypeChars = 0;    // distinct chunks of the length in use received
    qint16 engineTypeLength = 999; // chunks of the engine type, 4 or 8; 999 not known yet
    qint16 autoDownload = -1;      // byte 0 of the flag
    qint32 crcValueImo = -1;
    qint16 crcLenImo = 0;
    qint32 crcValueApplication = -1;
    qint32 crcLenApplication = 0;
};

// Which values setServiceBit asks for or stops (a negative group acts as all; 4 and above
// select nothing).
enum ServiceBitGroup : int {
    serviceBitAll = 0,
    serviceBitHullNumber = 1,
    serviceBitEngineType = 2,
    serviceBitOthers = 3,
};

// The exchange of the system information with the modules: the receivers of the values
// (registered with the bus layer for the object's lifetime), the requests by service bit
// and the two values the updater writes back.
class SystemInfoExchange : public SystemInfoReceivers {
public:
    SystemInfoExchange();
    ~SystemInfoExchange() override;
    SystemInfoExchange(const SystemInfoExchange&) = delete;
    SystemInfoExchange& operator=(const SystemInfoExchange&) = delete;

    SystemInformation& info() { return m_info; }
    const SystemInformation& info() const { return m_info; }

    // The module number that the module answering as the spare gives (0: it is the spare);
    // the CRC requests go to that module.
    void notConnectedToSpare(int module) { m_notConnectedToSpare = qint16(module); }
    qint16 notConnectedToSpareModule() const { return m_notConnectedToSpare; }

    // Value 1 asks the modules for the group's values, 0 stops them; 1 with group 1 or all
    // first resets every field but firstApplicationCrc.
    void setServiceBit(quint8 value, int group);
    // The engine type's chunk count was fixed: its field is blank at the new width and no
    // chunk counts as received.
    void restartEngineType();
    // Writes the CRC expected after the update to the spare.
    void writeApplicationCrc(qint32 crc);
    // Switches the modules' auto download on or off (it takes effect after a restart).
    void writeAutoDownload(bool on);

    // The receivers: four value bytes (byte 0 least significant) and the variable id as
    // received (the sending module in bits 12 to 15).
    void g_setFirstApplicationCrc(const QByteArray& value, qint32 id) override;
    void g_setNoOfCyl(const QByteArray& value, qint32 id) override;
    void g_setDeveloper(const QByteArray& value, qint32 id) override;
    void g_setBuild(const QByteArray& value, qint32 id) override;
    void g_setHullNumber(const QByteArray& value, qint32 id) override;
    void g_setEngineType(const QByteArray& value, qint32 id) override;
    void g_setAutoDownload(const QByteArray& value, qint32 id) override;
    void g_setCrcValueImo(const QByteArray& value, qint32 id) override;
    void g_setCrcLenImo(const QByteArray& value, qint32 id) override;
    void g_setCrcValueApplication(const QByteArray& value, qint32 id) override;
    void g_setCrcLenApplication(const QByteArray& value, qint32 id) override;

private:
    void reset();
    // Stores a value through set and ends the variable's request.
    template <class Set> void receive(const char* procedure, qint32 id, Set&& set);

    SystemInformation m_info;
    std::bitset<4> m_hullChunks;
    std::bitset<8> m_engineChunks;
    qint16 m_notConnectedToSpare = 0;
};

// The value bytes as a signed 32-bit number, byte 0 least significant.
qint32 systemValue32(const QByteArray& value);
// The same narrowed to 16 bits; a value beyond them is an overflow failure.
qint16 systemValue16(const QByteArray& value);
// The four value bytes as characters, a 0 byte as a blank.
QString systemTextChunk(const QByteArray& value);
// The text with the chunk in place of the characters from position on (appended when the
// text is shorter).
QString placeChunk(const QString& text, int position, const QString& chunk);

} // namespace pxu
