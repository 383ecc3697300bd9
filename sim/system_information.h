#pragma once

#include "bus.h"
#include "service_channel.h"

#include <QByteArray>
#include <memory>
#include <optional>

namespace pxu::sim {

// The ids of the engine's system-information symbols (12 bits); the sample
// configuration's by default. Texts take consecutive ids, four characters each.
struct SystemInfoIds {
    quint16 crcFirstApplication = 0x410; // PAR_CRC_FIRST_APPLICATION
    quint16 totNoOfCyl = 0x402;          // PAR_TOT_NO_OF_CYL
    quint16 autoDownload = 0x403;        // PAR_AUTO_DOWNLD_ACTIVATE
    quint16 build = 0x420;               // PAR_SWINFO_BUILD
    quint16 developer = 0x421;           // PAR_SWINFO_DEVELOPER_NO
    quint16 hullNo = 0x428;              // PAR_SWINFO_HULL_NO, 4 ids
    quint16 engineType = 0x430;          // PAR_SWINFO_ENGINE_TYPE, 4 ids
    quint16 engineTypeLong = 0x438;      // PAR_SWINFO_ENGINE_TYPE_LONG, 8 ids
    quint16 crcValueImo = 0x830;         // GLB_CRC_VALUE_IMO
    quint16 crcLenImo = 0x831;           // GLB_CRC_LEN_IMO
    quint16 crcValueApplication = 0x832; // GLB_CRC_VALUE_APPLICATION
    quint16 crcLenApplication = 0x833;   // GLB_CRC_LEN_APPLICATION
};

// What the engine reports about itself.
struct EngineValues {
    QByteArray hullNumber = "H-2231";          // up to 16 characters
    QByteArray engineType = "ZX-62 DF MK2/6C"; // up to 32; the short form has the first 16
    quint32 build = 41;
    quint32 developer = 1305; // last three digits 311 or more: the long engine type is used
    quint32 cylinders = 6;
    quint32 autoDownload = 1;
    quint32 imoCrc = 0x5A5A0C1E;
    quint32 imoLength = 0x2000;
    // The installed application's CRC and length; nothing: those of the spare's stored
    // application. Either way, once the spare holds another application than at the time
    // these were set, the new one's are reported.
    std::optional<quint32> applicationCrc = 0x9E371A2B;
    std::optional<quint32> applicationLength = 0x40000;
    quint32 firstApplicationCrc = 0; // the CRC the tool writes back after an update
};

// The engine's system information in the spare module's application: its symbols in the
// spare's variable table, which the service channel reports while their service bits are on
// and where written symbols are stored. After a download of another application into the
// spare, the application CRC and length are those of the new code (CRC-32 of the image, as
// the info block's Code Checksum).
class SystemInformation {
public:
    SystemInformation(Bus& bus, ServiceChannel& channel, SystemInfoIds ids = {},
                      EngineValues values = {});
    SystemInformation(const SystemInformation&) = delete;
    SystemInformation& operator=(const SystemInformation&) = delete;

    const SystemInfoIds& ids() const { return m_ids; }
    const EngineValues& values() const { return m_values; }
    // Publishes the values; the spare's present application counts as the installed one.
    void setValues(const EngineValues& values);

    // The application CRC and length the spare reports now.
    quint32 applicationCrc() const;
    quint32 applicationLength() const;

private:
    void publishText(quint16 firstId, int chunks, const QByteArray& text);
    void publishApplication();
    void onServiceBit(int module, quint16 id, bool on);

    Bus& m_bus;
    ServiceChannel& m_channel;
    SystemInfoIds m_ids;
    EngineValues m_values;
    QByteArray m_installedImage;
    // The service channel keeps its listeners; this tells them the object is gone.
    std::shared_ptr<SystemInformation*> m_self;
};

// Four characters of a text chunk as a variable value, the first in the lowest byte; missing
// characters are zero bytes.
quint32 textChunk(const QByteArray& text, int chunk);

} // namespace pxu::sim
