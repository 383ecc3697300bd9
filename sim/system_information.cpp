#include "system_information.h"

#include "checksums.h"
#include "stored_section.h"

namespace pxu::sim {

quint32 textChunk(const QByteArray& text, int chunk) {
    quint32 value = 0;
    for (int k = 0; k < 4; ++k) {
        const qsizetype at = qsizetype(chunk) * 4 + k;
        if (at < text.size())
            value |= quint32(quint8(text[at])) << (8 * k);
    }
    return value;
}

SystemInformation::SystemInformation(Bus& bus, ServiceChannel& channel, SystemInfoIds ids,
                                     EngineValues values)
    : m_bus(bus)
    , m_channel(channel)
    , m_ids(ids) {
    m_self = std::make_shared<SystemInformation*>(this);
    m_channel.addServiceBitListener(
        [self = std::weak_ptr<SystemInformation*>(m_self)](int module, quint16 id, bool on) {
            if (const auto info = self.lock())
                (*info)->onServiceBit(module, id, on);
        });
    setValues(values);
}

void SystemInformation::setValues(const EngineValues& values) {
    m_values = values;
    m_installedImage = m_bus.module(0).section(ApplicationSection).image;
    publishText(m_ids.hullNo, 4, m_values.hullNumber);
    publishText(m_ids.engineType, 4, m_values.engineType);
    publishText(m_ids.engineTypeLong, 8, m_values.engineType);
    m_channel.setVariable(0, m_ids.build, m_values.build);
    m_channel.setVariable(0, m_ids.developer, m_values.developer);
    m_channel.setVariable(0, m_ids.totNoOfCyl, m_values.cylinders);
    m_channel.setVariable(0, m_ids.autoDownload, m_values.autoDownload);
    m_channel.setVariable(0, m_ids.crcValueImo, m_values.imoCrc);
    m_channel.setVariable(0, m_ids.crcLenImo, m_values.imoLength);
    m_channel.setVariable(0, m_ids.crcFirstApplication, m_values.firstApplicationCrc);
    publishApplication();
}

void SystemInformation::publishText(quint16 firstId, int chunks, const QByteArray& text) {
    for (int i = 0; i < chunks; ++i)
        m_channel.setVariable(0, quint16(firstId + i), textChunk(text, i));
}

quint32 SystemInformation::applicationCrc() const {
    const QByteArray& image = m_bus.module(0).section(ApplicationSection).image;
    if (image == m_installedImage && m_values.applicationCrc)
        return *m_values.applicationCrc;
    return crc32(image);
}

quint32 SystemInformation::applicationLength() const {
    const QByteArray& image = m_bus.module(0).section(ApplicationSection).image;
    if (image == m_installedImage && m_values.applicationLength)
        return *m_values.applicationLength;
    return quint32(image.size());
}

void SystemInformation::publishApplication() {
    m_channel.setVariable(0, m_ids.crcValueApplication, applicationCrc());
    m_channel.setVariable(0, m_ids.crcLenApplication, applicationLength());
}

void SystemInformation::onServiceBit(int module, quint16 id, bool on) {
    // The service channel reports after the answer delay, so the value is fresh by then.
    if (module == 0 && on && (id == m_ids.crcValueApplication || id == m_ids.crcLenApplication))
        publishApplication();
}

} // namespace pxu::sim
