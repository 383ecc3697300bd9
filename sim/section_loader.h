#pragma once

#include "module_config.h"
#include "node_ids.h"
#include "platform/clock/scheduler.h"
#include "sdo_abort.h"
#include "stored_section.h"

#include <optional>

namespace pxu::sim {

// Loading status values of object 0x5FFF.
enum LoadingStatus : quint8 {
    StatusIdle = 0,
    StatusInfoBlockAccepted = 1,
    StatusDataAccepted = 127,
    StatusFlashDone = 255,
    StatusInfoBlockSizeError = 0x10,
    StatusInfoBlockChecksumError = 0x11,
    StatusStartAddressError = 0x12,
    StatusDataLengthError = 0x20,
    StatusDataChecksumError = 0x21,
};

// The bootloader's download side: an info block opens a section for loading, program
// data is appended block by block, and after the last block the code is checked and
// "flash programmed".
class SectionLoader {
public:
    SectionLoader(ModuleType type, Scheduler& scheduler, SectionMap& sections,
                  const ModuleConfig& config, ModuleFaults& faults);
    ~SectionLoader();
    SectionLoader(const SectionLoader&) = delete;
    SectionLoader& operator=(const SectionLoader&) = delete;

    SdoAbort checkInfoBlock(int section, std::optional<qint64> size) const;
    SdoAbort writeInfoBlock(int section, const QByteArray& block);
    SdoAbort checkData(int section, std::optional<qint64> size);
    SdoAbort writeData(int section, const QByteArray& data);

    quint8 status() const { return m_status; }
    // Program-data blocks taken since the last info block.
    int blocksWritten() const { return m_blocks; }
    // A power loss: flash programming stops, the status starts over.
    void reset();

private:
    bool startAddressValid(int section, const QByteArray& block) const;
    void finishData(int section);
    void programHardwareBlock();

    ModuleType m_type;
    Scheduler& m_scheduler;
    SectionMap& m_sections;
    const ModuleConfig& m_config;
    ModuleFaults& m_faults;

    quint8 m_status = StatusIdle;
    int m_loadingSection = 0; // 0: none open for data
    quint32 m_expectedLength = 0;
    quint32 m_expectedChecksum = 0;
    int m_blocks = 0;
    Scheduler::TaskId m_flashTask = 0;
};

} // namespace pxu::sim
