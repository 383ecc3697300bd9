#include "section_loader.h"

#include "checksums.h"
#include "info_block.h"

namespace pxu::sim {

namespace {
constexpr int kMaxDataBlock = 8192;
}

SectionLoader::SectionLoader(ModuleType type, Scheduler& scheduler, SectionMap& sections,
                             const ModuleConfig& config, ModuleFaults& faults)
    : m_type(type)
    , m_scheduler(scheduler)
    , m_sections(sections)
    , m_config(config)
    , m_faults(faults) {}

SectionLoader::~SectionLoader() {
    m_scheduler.cancel(m_flashTask);
}

void SectionLoader::reset() {
    m_scheduler.cancel(m_flashTask);
    m_flashTask = 0;
    m_status = StatusIdle;
    m_loadingSection = 0;
    m_blocks = 0;
}

SdoAbort SectionLoader::checkInfoBlock(int section, std::optional<qint64> size) const {
    if (!sectionExists(section))
        return SdoAbort::NoSubIndex;
    if (size && *size != infoBlockSize(section))
        return SdoAbort::LengthMismatch;
    if (m_flashTask)
        return SdoAbort::NotStoredDeviceState;
    return SdoAbort::None;
}

bool SectionLoader::startAddressValid(int section, const QByteArray& block) const {
    if (section == HardwareSection)
        return true;
    const quint64 start = infoBlockCodeStart(block);
    const quint64 end = start + infoBlockCodeLength(block);
    quint64 lowest = m_config.applicationAreaStart;
    if (section == Bootloader1Section)
        lowest = 0;
    else if (section == Bootloader2Section)
        lowest = m_config.bootloader2Start;
    return start >= lowest && end <= m_config.flashEnd;
}

SdoAbort SectionLoader::writeInfoBlock(int section, const QByteArray& block) {
    if (const SdoAbort check = checkInfoBlock(section, block.size()); check != SdoAbort::None)
        return check;
    m_loadingSection = 0;
    m_blocks = 0;
    if (infoBlockSizeField(block) != quint32(block.size())) {
        m_status = StatusInfoBlockSizeError;
        return SdoAbort::None;
    }
    if (!infoBlockChecksumValid(block)) {
        m_status = StatusInfoBlockChecksumError;
        return SdoAbort::None;
    }
    if (!startAddressValid(section, block)) {
        m_status = StatusStartAddressError;
        return SdoAbort::None;
    }
    // The section is erased: the block is kept, the code comes with the data.
    StoredSection& stored = m_sections[section];
    stored.infoBlock = block;
    stored.image.clear();
    m_status = StatusInfoBlockAccepted;
    m_expectedLength = infoBlockCodeLength(block);
    m_expectedChecksum = infoBlockCodeChecksum(block);
    m_loadingSection = section;
    if (section == HardwareSection && m_config.hardwareBlockProgrammingUs > 0)
        programHardwareBlock();
    return SdoAbort::None;
}

void SectionLoader::programHardwareBlock() {
    m_status = StatusDataAccepted;
    m_loadingSection = 0;
    if (m_faults.statusStuck)
        return;
    m_flashTask = m_scheduler.callAfter(m_config.hardwareBlockProgrammingUs, [this] {
        m_flashTask = 0;
        if (!m_faults.statusStuck)
            m_status = StatusInfoBlockAccepted;
    });
}

SdoAbort SectionLoader::checkData(int section, std::optional<qint64> size) {
    if (!sectionExists(section))
        return SdoAbort::NoSubIndex;
    if (size && *size > kMaxDataBlock)
        return SdoAbort::LengthTooHigh;
    if (section != m_loadingSection || m_status != StatusInfoBlockAccepted)
        return SdoAbort::NotStoredDeviceState;
    if (m_faults.abortOnBlock > 0 && m_blocks + 1 == m_faults.abortOnBlock) {
        if (m_faults.abortTimes > 0 && --m_faults.abortTimes == 0)
            m_faults.abortOnBlock = 0;
        return SdoAbort(m_faults.abortCode);
    }
    return SdoAbort::None;
}

SdoAbort SectionLoader::writeData(int section, const QByteArray& data) {
    if (data.size() > kMaxDataBlock)
        return SdoAbort::LengthTooHigh;
    if (section != m_loadingSection || m_status != StatusInfoBlockAccepted)
        return SdoAbort::NotStoredDeviceState;
    QByteArray& image = m_sections[section].image;
    image.append(data);
    ++m_blocks;
    if (quint32(image.size()) > m_expectedLength) {
        m_status = StatusDataLengthError;
        m_loadingSection = 0;
    } else if (quint32(image.size()) == m_expectedLength) {
        finishData(section);
    }
    return SdoAbort::None;
}

void SectionLoader::finishData(int section) {
    m_loadingSection = 0;
    const bool valid = crc32(m_sections[section].image) == m_expectedChecksum && !m_faults.badCrc;
    if (!valid) {
        m_status = StatusDataChecksumError;
        return;
    }
    if (m_faults.dataStatus >= 0) {
        m_status = quint8(m_faults.dataStatus);
        if (m_faults.dataStatusTimes > 0 && --m_faults.dataStatusTimes == 0)
            m_faults.dataStatus = -1;
        return;
    }
    if (m_type != ModuleType::Pxu) {
        m_status = StatusIdle;
        return;
    }
    m_status = StatusDataAccepted;
    if (m_faults.statusStuck)
        return;
    m_flashTask = m_scheduler.callAfter(m_config.flashProgrammingUs, [this] {
        m_flashTask = 0;
        if (!m_faults.statusStuck)
            m_status = m_config.flashDoneStatus;
    });
}

} // namespace pxu::sim
