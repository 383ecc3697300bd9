#include "system_information.h"

#include "bus/can_open_master.h"
#include "core/byte_conversions.h"
#include "core/error.h"
#include "core/error_boundary.h"
#include "core/globals.h"

#include <algorithm>

namespace pxu {

namespace {

constexpr const char* kObject = "frmMain";
constexpr int kModuleIdStep = 4096;

int variable12(qint32 id) {
    return id & 0xFFF;
}

// Puts a received chunk of a text in place and counts the distinct chunks; a chunk beyond
// the chunks in use is no part of the text.
template <std::size_t N>
void storeChunk(QString& text, std::bitset<N>& received, qint16& count, int chunk,
                const QByteArray& value, int inUse = int(N)) {
    if (chunk < 0 || chunk >= std::min(int(N), inUse))
        return;
    text = placeChunk(text, 4 * chunk, systemTextChunk(value));
    received.set(chunk);
    count = qint16(received.count());
}

} // namespace

qint32 systemValue32(const QByteArray& value) {
    const QString text = g_byteToDezValStr(4, 0, value, true);
    return text.isEmpty() ? 0 : qint32(text.toLongLong());
}

qint16 systemValue16(const QByteArray& value) {
    const qint32 v = systemValue32(value);
    if (v < -32768 || v > 32767)
        raise(6, QString::fromLatin1(kObject), QStringLiteral("Overflow"));
    return qint16(v);
}

QString systemTextChunk(const QByteArray& value) {
    QString chunk;
    for (int k = 0; k < 4; ++k) {
        const quint8 byte = k < value.size() ? quint8(value[k]) : 0;
        chunk += byte == 0 ? QChar(u' ') : QChar(char16_t(byte));
    }
    return chunk;
}

QString placeChunk(const QString& text, int position, const QString& chunk) {
    return text.left(position) + chunk + text.mid(position + chunk.size());
}

SystemInfoExchange::SystemInfoExchange() {
    setSystemInfoReceivers(this);
}

SystemInfoExchange::~SystemInfoExchange() {
    if (systemInfoReceivers() == this)
        setSystemInfoReceivers(nullptr);
}

void SystemInfoExchange::restartEngineType() {
    m_engineChunks.reset();
    m_info.engineTypeChars = 0;
    const int chunks = m_info.engineTypeLength == 999 ? 4 : m_info.engineTypeLength;
    m_info.engineType = QString(4 * chunks, QLatin1Char(' '));
}

void SystemInfoExchange::reset() {
    m_info.noOfCyl = 0;
    m_info.developer = 0;
    m_info.build = 0;
    m_info.crcValueApplication = -1;
    m_info.crcLenApplication = 0;
    m_info.crcValueImo = -1;
    m_info.crcLenImo = 0;
    m_info.autoDownload = -1;
    m_info.hullNumberChunks = 0;
    m_hullChunks.reset();
    m_info.hullNumber = QString(16, QLatin1Char(' '));
    if (g_varIds.g_varIdEngineType == 0)
        m_info.engineTypeLength = 999;
    // The field is as wide as the chunks in use, so that chunks in any order land in place.
    restartEngineType();
}

void SystemInfoExchange::setServiceBit(quint8 value, int group) {
    guarded(kObject, "setServiceBit", [&] {
        CanOpenMaster& master = frmCANopen();
        if (value == 1 && group <= serviceBitHullNumber)
            reset();
        if (group <= serviceBitHullNumber) {
            for (int i = 0; i < 4; ++i)
                master.g_setServiceBit(g_varIds.g_varIdSwInfoHullNo + i, value);
        }
        if ((group == serviceBitEngineType || group <= serviceBitAll) &&
            g_varIds.g_varIdEngineType >= 1) {
            for (int i = 0; i < std::min<int>(m_info.engineTypeLength, 8); ++i)
                master.g_setServiceBit(g_varIds.g_varIdEngineType + i, value);
        }
        if (group == serviceBitOthers || group <= serviceBitAll) {
            master.g_setServiceBit(g_varIds.g_varIdSwInfoBuild, value);
            master.g_setServiceBit(g_varIds.g_varIdSwInfoDeveloperNo, value);
            master.g_setServiceBit(g_varIds.g_varIdAutoDownldActivate, value);
            master.g_setServiceBit(g_varIds.g_varIdTotNoOfCyl, value);
            // A 16-bit module offset, as the modules address their copies.
            const qint32 offset = qint32(m_notConnectedToSpare) * kModuleIdStep;
            if (offset > 32767 || offset < -32768)
                raise(6, QString::fromLatin1(kObject), QStringLiteral("Overflow"));
            master.g_setServiceBit(g_varIds.g_varIdCrcValueImo + offset, value);
            master.g_setServiceBit(g_varIds.g_varIdCrcLenImo + offset, value);
            master.g_setServiceBit(g_varIds.g_varIdCrcValueApplication + offset, value);
            master.g_setServiceBit(g_varIds.g_varIdCrcLenApplication + offset, value);
        }
    });
}

void SystemInfoExchange::writeApplicationCrc(qint32 crc) {
    guarded(kObject, "writeApplicationCrc", [&] {
        QByteArray bytes(4, '\0');
        g_dezValStrToByte(QString::number(crc), 4, 0, bytes, true);
        frmCANopen().g_writeSymbol(g_varIds.g_varIdCrcFirstApplication, 0, bytes);
    });
}

void SystemInfoExchange::writeAutoDownload(bool on) {
    guarded(kObject, "writeAutoDownload", [&] {
        QByteArray bytes(4, '\0');
        bytes[0] = char(on ? 1 : 0);
        frmCANopen().g_writeSymbol(g_varIds.g_varIdAutoDownldActivate, 0, bytes);
    });
}

template <class Set> void SystemInfoExchange::receive(const char* procedure, qint32 id, Set&& set) {
    guarded(kObject, procedure, set);
    // The request ends also when the value could not be taken: it would come again and again.
    guarded(kObject, procedure, [&] { frmCANopen().g_setServiceBit(id, 0); });
}

void SystemInfoExchange::g_setFirstApplicationCrc(const QByteArray& value, qint32 id) {
    receive("g_setFirstApplicationCrc", id,
            [&] { m_info.firstApplicationCrc = systemValue32(value); });
}

void SystemInfoExchange::g_setNoOfCyl(const QByteArray& value, qint32 id) {
    receive("g_setNoOfCyl", id,
            [&] { m_info.noOfCyl = value.isEmpty() ? 0 : qint16(quint8(value[0])); });
}

void SystemInfoExchange::g_setDeveloper(const QByteArray& value, qint32 id) {
    receive("g_setDeveloper", id, [&] { m_info.developer = systemValue16(value); });
}

void SystemInfoExchange::g_setBuild(const QByteArray& value, qint32 id) {
    receive("g_setBuild", id, [&] { m_info.build = systemValue16(value); });
}

void SystemInfoExchange::g_setHullNumber(const QByteArray& value, qint32 id) {
    receive("g_setHullNumber", id, [&] {
        storeChunk(m_info.hullNumber, m_hullChunks, m_info.hullNumberChunks,
                   variable12(id) - g_varIds.g_varIdSwInfoHullNo, value);
    });
}

void SystemInfoExchange::g_setEngineType(const QByteArray& value, qint32 id) {
    receive("g_setEngineType", id, [&] {
        storeChunk(m_info.engineType, m_engineChunks, m_info.engineTypeChars,
                   variable12(id) - g_varIds.g_varIdEngineType, value, m_info.engineTypeLength);
    });
}

void SystemInfoExchange::g_setAutoDownload(const QByteArray& value, qint32 id) {
    receive("g_setAutoDownload", id,
            [&] { m_info.autoDownload = value.isEmpty() ? 0 : qint16(quint8(value[0])); });
}

void SystemInfoExchange::g_setCrcValueImo(const QByteArray& value, qint32 id) {
    receive("g_setCrcValueImo", id, [&] { m_info.crcValueImo = systemValue32(value); });
}

void SystemInfoExchange::g_setCrcLenImo(const QByteArray& value, qint32 id) {
    receive("g_setCrcLenImo", id, [&] { m_info.crcLenImo = systemValue16(value); });
}

void SystemInfoExchange::g_setCrcValueApplication(const QByteArray& value, qint32 id) {
    receive("g_setCrcValueApplication", id,
            [&] { m_info.crcValueApplication = systemValue32(value); });
}

void SystemInfoExchange::g_setCrcLenApplication(const QByteArray& value, qint32 id) {
    receive("g_setCrcLenApplication", id, [&] { m_info.crcLenApplication = systemValue32(value); });
}

} // namespace pxu
