// The object dictionary of a module's application and bootloader nodes.
#include "module.h"

#include "info_block.h"

namespace pxu::sim {

namespace {

QByteArray littleEndian(quint32 value, int bytes) {
    QByteArray out(bytes, '\0');
    for (int i = 0; i < bytes; ++i)
        out[i] = char(value >> (8 * i));
    return out;
}

quint32 fromLittleEndian(const QByteArray& bytes) {
    quint32 value = 0;
    for (int i = int(bytes.size()) - 1; i >= 0; --i)
        value = value << 8 | quint8(bytes[i]);
    return value;
}

SdoAbort requireSize(std::optional<qint64> size, qint64 expected) {
    return size && *size != expected ? SdoAbort::LengthMismatch : SdoAbort::None;
}

constexpr quint16 kProgramData = 0x1F50;
constexpr quint16 kProgramControl = 0x1F51;
constexpr quint16 kInfoBlock = 0x5FFE;
constexpr quint16 kLoadingStatus = 0x5FFF;

} // namespace

QByteArray Module::deviceName(Role role) const {
    if (role == Role::Bootloader)
        return m_config.bootloaderDeviceName;
    if (!m_config.deviceName.isEmpty())
        return m_config.deviceName;
    switch (m_bus) {
    case BusKind::Lorin:
        return "LORX PXU-20";
    case BusKind::Kev:
        return "KEV-20";
    case BusKind::Toq:
        return "TOQ-20";
    default:
        return "ZENT-6183 PXU-20";
    }
}

SdoAbort Module::readObject(Role role, quint16 index, quint8 sub, QByteArray& value) {
    if (role == Role::HardwareVersion && index != 0x1009)
        return SdoAbort::NoObject;
    const bool bootloader = role == Role::Bootloader;
    const bool pxu = m_type == ModuleType::Pxu;
    const auto only0 = [&](QByteArray v) {
        if (sub != 0)
            return SdoAbort::NoSubIndex;
        value = std::move(v);
        return SdoAbort::None;
    };
    switch (index) {
    case 0x1000:
        return only0(littleEndian(m_config.deviceType, 4));
    case 0x1001:
        return only0(littleEndian(0, 1));
    case 0x1005:
        return only0(littleEndian(m_syncCobId, 4));
    case 0x1008:
        return only0(deviceName(role));
    case 0x1009:
        return only0(m_config.hardwareVersion);
    case 0x100A:
        return only0(bootloader ? m_config.bootloaderVersion : m_config.applicationVersion);
    case 0x1017:
        return only0(littleEndian(m_config.heartbeatMs, 2));
    case 0x1018: {
        const quint32 serial = readBe32(section(HardwareSection).infoBlock, 20);
        const quint32 fields[] = {4, m_config.vendorId, m_config.productCode, m_config.revision,
                                  serial};
        if (sub > 4)
            return SdoAbort::NoSubIndex;
        value = littleEndian(fields[sub], sub == 0 ? 1 : 4);
        return SdoAbort::None;
    }
    case kProgramControl: {
        const quint8 bootloaderSub = pxu ? 3 : 1;
        const quint8 applicationSub = pxu ? 6 : 2;
        if (sub == 0) {
            value = littleEndian(applicationSub, 1);
        } else if (sub == bootloaderSub || sub == applicationSub) {
            const bool running = (sub == bootloaderSub) == bootloader;
            value = littleEndian(running ? 1 : 0, 1);
        } else {
            return SdoAbort::NoSubIndex;
        }
        return SdoAbort::None;
    }
    default:
        break;
    }
    if (!bootloader)
        return SdoAbort::NoObject;
    switch (index) {
    case kInfoBlock:
        if (sub == 0) {
            value = littleEndian(FpgaSection, 1);
            return SdoAbort::None;
        }
        if (!sectionExists(sub))
            return SdoAbort::NoSubIndex;
        value = section(sub).infoBlock;
        m_uploadOffset[sub] = 0;
        return SdoAbort::None;
    case kProgramData: {
        if (!sectionExists(sub))
            return SdoAbort::NoSubIndex;
        const QByteArray& image = section(sub).image;
        qint64& offset = m_uploadOffset[sub];
        // A read after the end starts the section over.
        if (offset >= image.size())
            offset = 0;
        value = image.mid(offset, m_config.uploadChunk);
        offset += value.size();
        return SdoAbort::None;
    }
    case kLoadingStatus: {
        const quint8 statusSub = pxu ? 3 : 0;
        if (sub == statusSub && m_faults.statusReadAborts > 0) {
            --m_faults.statusReadAborts;
            return SdoAbort::General;
        }
        if (sub == statusSub) {
            value = littleEndian(m_loader.status(), 1);
            return SdoAbort::None;
        }
        if (sub == 0) {
            value = littleEndian(statusSub, 1);
            return SdoAbort::None;
        }
        return SdoAbort::NoSubIndex;
    }
    default:
        return SdoAbort::NoObject;
    }
}

SdoAbort Module::checkWriteObject(Role role, quint16 index, quint8 sub,
                                  std::optional<qint64> size) {
    if (role == Role::HardwareVersion)
        return index == 0x1009 ? SdoAbort::ReadOnly : SdoAbort::NoObject;
    const bool bootloader = role == Role::Bootloader;
    switch (index) {
    case 0x1000:
    case 0x1001:
    case 0x1008:
    case 0x1009:
    case 0x100A:
    case 0x1018:
        return SdoAbort::ReadOnly;
    case 0x1005:
        return sub != 0 ? SdoAbort::NoSubIndex : requireSize(size, 4);
    case 0x1017:
        return sub != 0 ? SdoAbort::NoSubIndex : requireSize(size, 2);
    case kProgramControl: {
        const bool pxu = m_type == ModuleType::Pxu;
        if (sub == 0)
            return SdoAbort::ReadOnly;
        if (sub != (pxu ? 3 : 1) && sub != (pxu ? 6 : 2))
            return SdoAbort::NoSubIndex;
        return requireSize(size, 1);
    }
    default:
        break;
    }
    if (!bootloader)
        return SdoAbort::NoObject;
    switch (index) {
    case kInfoBlock:
        return sub == 0 ? SdoAbort::ReadOnly : m_loader.checkInfoBlock(sub, size);
    case kProgramData:
        return m_loader.checkData(sub, size);
    case kLoadingStatus:
        return SdoAbort::ReadOnly;
    default:
        return SdoAbort::NoObject;
    }
}

SdoAbort Module::writeObject(Role role, quint16 index, quint8 sub, const QByteArray& value) {
    if (const SdoAbort check = checkWriteObject(role, index, sub, value.size());
        check != SdoAbort::None && index != kProgramData)
        return check;
    switch (index) {
    case 0x1005:
        m_syncCobId = fromLittleEndian(value);
        return SdoAbort::None;
    case 0x1017:
        m_config.heartbeatMs = quint16(fromLittleEndian(value));
        startHeartbeat();
        return SdoAbort::None;
    case kProgramControl:
        return programControl(role, sub, quint8(value[0]));
    case kInfoBlock:
        return m_loader.writeInfoBlock(sub, value);
    case kProgramData: {
        const SdoAbort result = m_loader.writeData(sub, value);
        if (result == SdoAbort::None)
            afterDataBlock();
        return result;
    }
    default:
        return SdoAbort::NoObject;
    }
}

SdoAbort Module::programControl(Role role, quint8 sub, quint8 value) {
    const bool pxu = m_type == ModuleType::Pxu;
    const bool bootloaderSub = sub == (pxu ? 3 : 1);
    if (role == Role::Application) {
        if (!bootloaderSub)
            return value == 1 ? SdoAbort::None : SdoAbort::InvalidValue; // running already
        if (value != 1 && value != 2)
            return SdoAbort::InvalidValue;
        switchAfterAnswer(Mode::Bootloader);
        return SdoAbort::None;
    }
    if (bootloaderSub) {
        if (value == 1)
            return SdoAbort::None; // running already
        if (value != 2)
            return SdoAbort::InvalidValue;
        switchAfterAnswer(Mode::Bootloader);
        return SdoAbort::None;
    }
    if (value != 1)
        return SdoAbort::InvalidValue;
    switchAfterAnswer(Mode::Application);
    return SdoAbort::None;
}

void Module::switchAfterAnswer(Mode mode) {
    // The write is confirmed first, then the module reboots.
    m_scheduler.cancel(m_switchTask);
    m_switchTask = m_scheduler.callAfter(answerDelayUs() + 1, [this, mode] {
        m_switchTask = 0;
        switchMode(mode, m_config.modeSwitchDelayUs);
    });
}

void Module::afterDataBlock() {
    if (m_faults.disappearAfterBlocks <= 0 ||
        m_loader.blocksWritten() < m_faults.disappearAfterBlocks)
        return;
    m_faults.disappearAfterBlocks = 0;
    // The block's confirmation still goes out, then the module is gone.
    m_scheduler.cancel(m_offTask);
    m_offTask = m_scheduler.callAfter(answerDelayUs() + 1, [this] {
        m_offTask = 0;
        setMode(Mode::Off);
    });
}

} // namespace pxu::sim
