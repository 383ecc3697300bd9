#include "auto_download_master.h"

namespace pxu::sim {

namespace {

constexpr quint16 kStartBootloader = 0x0001;
constexpr quint16 kStartApplication = 0x0002;
constexpr quint16 kAbort = 0x0100;
constexpr quint16 kClear = 0x3000;

// The section of a download word, 0 for none.
int sectionOf(quint16 word) {
    switch (word) {
    case 0x0010:
        return 3;
    case 0x0020:
        return 4;
    case 0x0040:
        return 6;
    case 0x0080:
        return 7;
    default:
        return 0;
    }
}

quint32 twoMasks(quint16 low, quint16 high) {
    return quint32(low) | quint32(high) << 16;
}

} // namespace

AutoDownloadMaster::AutoDownloadMaster(Bus& bus, ServiceChannel& channel, AutoDownloadIds ids,
                                       AutoDownloadTiming timing)
    : m_bus(bus)
    , m_channel(channel)
    , m_ids(ids)
    , m_timing(timing) {
    m_self = std::make_shared<AutoDownloadMaster*>(this);
    m_channel.addSymbolListener(
        [self = std::weak_ptr<AutoDownloadMaster*>(m_self)](int module, quint16 id, quint32 value) {
            if (const auto master = self.lock())
                (*master)->onSymbol(module, id, value);
        });
    setEngineRunning(false);
    publish(m_ids.moduleStateRw, 0);
    publish(m_ids.updateStateRo, 0);
    publish(m_ids.updateFailureRo, 0);
    refresh();
}

AutoDownloadMaster::~AutoDownloadMaster() {
    m_bus.scheduler().cancel(m_workTask);
    m_bus.scheduler().cancel(m_refreshTask);
}

void AutoDownloadMaster::setEngineRunning(bool running, int module) {
    for (int m = 1; m < kModuleCount; ++m) {
        if (module >= 0 && m != module)
            continue;
        m_engineRunning[m] = running;
        m_channel.setVariable(m, m_ids.engineStandStill, running ? 0 : 1);
    }
}

bool AutoDownloadMaster::spareRunning() const {
    return m_bus.module(0).mode() == Mode::Application;
}

void AutoDownloadMaster::publish(quint16 id, quint32 value) {
    const std::optional<quint32> old = m_channel.variable(0, id);
    m_channel.setVariable(0, id, value);
    // A change goes out at once; the service channel repeats it.
    if (old != value && m_channel.reporting(0, id))
        m_channel.report(0, id);
}

void AutoDownloadMaster::echo(quint32 value) {
    m_channel.setVariable(0, m_ids.moduleStateRw, value);
    if (m_channel.reporting(0, m_ids.moduleStateRw))
        m_channel.report(0, m_ids.moduleStateRw);
}

quint32 AutoDownloadMaster::moduleStateValue() {
    quint16 application = 0;
    quint16 bootloader = 0;
    for (int m = 0; m < kModuleCount; ++m) {
        Module& module = m_bus.module(m);
        if (module.faults().silent)
            continue;
        if (module.mode() == Mode::Application)
            application |= quint16(1u << m);
        else if (module.mode() == Mode::Bootloader)
            bootloader |= quint16(1u << m);
    }
    return twoMasks(application, bootloader);
}

quint32 AutoDownloadMaster::updateStateValue() const {
    return quint32(m_module & 0x0F) | quint32(m_progress & 0x7F) << 8 |
           quint32(m_attempt & 0x1F) << 16;
}

void AutoDownloadMaster::refresh() {
    m_refreshTask = 0;
    if (spareRunning()) {
        publish(m_ids.moduleStateRo, moduleStateValue());
    } else if (m_commandWord != 0 || m_workTask != 0) {
        // The spare left its application: whatever it was doing is gone.
        abortWork();
        m_commandWord = 0;
        m_channel.setVariable(0, m_ids.moduleStateRw, 0);
    }
    m_refreshTask = m_bus.scheduler().callAfter(m_timing.refreshUs, [this] { refresh(); });
}

void AutoDownloadMaster::onSymbol(int module, quint16 id, quint32 value) {
    if (module != 0 || id != m_ids.moduleStateRw)
        return;
    if (m_timing.takeUpUs > 0) {
        // Its task sees the command register later; reports show the written word meanwhile.
        m_bus.scheduler().callAfter(m_timing.takeUpUs,
                                    [self = std::weak_ptr<AutoDownloadMaster*>(m_self), value] {
                                        if (const auto master = self.lock())
                                            (*master)->take(value);
                                    });
        return;
    }
    take(value);
}

void AutoDownloadMaster::take(quint32 value) {
    const quint16 id = m_ids.moduleStateRw;
    if (!spareRunning() || m_channel.userLevel(0) != kUserLevel) {
        // Not logged in: the word is stored, nothing is done.
        m_channel.setVariable(0, id, twoMasks(m_commandMask, m_commandWord));
        return;
    }
    const quint16 mask = quint16(value & 0xFFFF);
    const quint16 word = quint16(value >> 16);
    if (word == kAbort) {
        abortWork();
        m_commandMask = mask;
        m_commandWord = kAbort;
        ++m_commandsTaken;
        echo(value);
        m_workTask = m_bus.scheduler().callAfter(m_timing.progressStepUs, [this] { finish(); });
        return;
    }
    if (word == kClear && m_commandWord == 0 && m_faults.clearUnseen) {
        ++m_commandsTaken;
        m_failures = 0;
        publish(m_ids.updateFailureRo, 0);
        m_channel.setVariable(0, id, twoMasks(mask, 0));
        return;
    }
    if (m_commandWord != 0 || word == 0) {
        // Busy (or nothing asked): the echo stays as it was.
        m_channel.setVariable(0, id, twoMasks(m_commandMask, m_commandWord));
        return;
    }
    ++m_commandsTaken;
    start(mask, word);
}

void AutoDownloadMaster::start(quint16 mask, quint16 word) {
    m_commandMask = mask;
    m_commandWord = word;
    echo(twoMasks(mask, word));
    const quint16 cylinders = mask & 0x7FFE;
    if (word == kStartBootloader || word == kStartApplication) {
        const bool toBootloader = word == kStartBootloader;
        switchCylinders(cylinders, toBootloader ? Mode::Application : Mode::Bootloader,
                        toBootloader ? Mode::Bootloader : Mode::Application);
        qint64 longest = 0;
        for (int m = 1; m < kModuleCount; ++m) {
            if (cylinders >> m & 1)
                longest = std::max(longest, m_bus.module(m).config().modeSwitchDelayUs);
        }
        m_workTask =
            m_bus.scheduler().callAfter(longest + m_timing.commandDoneUs, [this] { finish(); });
        return;
    }
    if (const int section = sectionOf(word)) {
        m_section = section;
        m_pending = cylinders;
        m_module = 0;
        downloadNext();
        return;
    }
    if (word == kClear) {
        m_failures = 0;
        publish(m_ids.updateFailureRo, 0);
    }
    // Clear and anything unknown: done after a moment.
    m_workTask = m_bus.scheduler().callAfter(m_timing.progressStepUs, [this] { finish(); });
}

void AutoDownloadMaster::finish() {
    m_workTask = 0;
    if (m_faults.commandNeverClears)
        return;
    m_commandWord = 0;
    publish(m_ids.moduleStateRw, twoMasks(m_commandMask, 0));
}

void AutoDownloadMaster::abortWork() {
    m_bus.scheduler().cancel(m_workTask);
    m_workTask = 0;
    m_pending = 0;
    m_section = 0;
}

void AutoDownloadMaster::switchCylinders(quint16 mask, Mode from, Mode to) {
    for (int m = 1; m < kModuleCount; ++m) {
        Module& module = m_bus.module(m);
        if ((mask >> m & 1) && module.mode() == from && !module.faults().silent)
            module.switchMode(to, module.config().modeSwitchDelayUs);
    }
}

void AutoDownloadMaster::downloadNext() {
    m_workTask = 0;
    int next = 0;
    for (int m = 1; m < kModuleCount && !next; ++m) {
        if (m_pending >> m & 1)
            next = m;
    }
    if (!next) {
        finish();
        return;
    }
    m_pending &= quint16(~(1u << next));
    m_module = next;
    m_progress = 0;
    m_attempt = 1;
    publish(m_ids.updateStateRo, updateStateValue());
    m_workTask = m_bus.scheduler().callAfter(m_timing.progressStepUs, [this] { downloadStep(); });
}

void AutoDownloadMaster::downloadStep() {
    m_workTask = 0;
    Module& target = m_bus.module(m_module);
    const bool reachable = target.mode() != Mode::Off && !target.faults().silent;
    m_progress = std::min(100, m_progress + m_timing.progressStepPercent);
    if (reachable && m_faults.risingAttempts && m_attempt == 1 && m_progress >= 50) {
        // The first attempt breaks off half way; the spare starts the section again.
        ++m_attempt;
        m_progress = 0;
    }
    publish(m_ids.updateStateRo, updateStateValue());
    if (reachable && m_progress < 100) {
        m_workTask =
            m_bus.scheduler().callAfter(m_timing.progressStepUs, [this] { downloadStep(); });
        return;
    }
    const bool fails = !reachable || (m_faults.failureMask >> m_module & 1);
    if (fails) {
        m_failures |= quint16(1u << m_module);
        publish(m_ids.updateFailureRo, twoMasks(0, m_failures));
    } else {
        const StoredSection& own = m_bus.module(0).section(m_section);
        target.setSection(m_section, own.infoBlock, own.image);
    }
    downloadNext();
}

} // namespace pxu::sim
