#include "selection.h"

#include "core/error_boundary.h"

#include <utility>

namespace pxu {

namespace {

// Clears the handlers' shared guard however the handler is left.
class GuardScope {
public:
    explicit GuardScope(bool& flag)
        : m_flag(flag) {
        m_flag = true;
    }
    ~GuardScope() { m_flag = false; }
    GuardScope(const GuardScope&) = delete;
    GuardScope& operator=(const GuardScope&) = delete;

private:
    bool& m_flag;
};

} // namespace

Selection::Selection(QObject* parent)
    : QObject(parent) {
    for (int i = 0; i < kSectionBoxCount; ++i)
        m_sections[i].caption = sectionCaptions()[i];
}

bool Selection::assign(CheckBoxState& box, int value) {
    if (box.value == value)
        return false;
    box.value = value;
    return true;
}

void Selection::setProgram(int module, int value) {
    if (assign(m_program.at(module), value)) {
        chkProgram_Click(module);
        emit changed();
    }
}

void Selection::setProgramEnabled(int module, bool enabled) {
    if (std::exchange(m_program.at(module).enabled, enabled) != enabled)
        emit changed();
}

void Selection::setProgramVisible(int module, bool visible) {
    if (std::exchange(m_program.at(module).visible, visible) != visible)
        emit changed();
}

void Selection::setBootLoaderRunning(int module, int value) {
    if (assign(m_bootLoaderRunning.at(module), value))
        emit changed();
}

void Selection::setApplicationRunning(int module, int value) {
    if (assign(m_applicationRunning.at(module), value))
        emit changed();
}

void Selection::setStateBoxesVisible(int module, bool visible) {
    const bool was =
        m_bootLoaderRunning.at(module).visible && m_applicationRunning.at(module).visible;
    m_bootLoaderRunning.at(module).visible = visible;
    m_applicationRunning.at(module).visible = visible;
    if (was != visible)
        emit changed();
}

void Selection::setAllModules(int value) {
    if (assign(m_allModules, value)) {
        chkProgramAllModules_Click();
        emit changed();
    }
}

void Selection::setSection(int index, int value) {
    if (assign(m_sections.at(index), value)) {
        chkLoadSection_Click(index);
        emit changed();
    }
}

void Selection::setSectionEnabled(int index, bool enabled) {
    if (std::exchange(m_sections.at(index).enabled, enabled) != enabled)
        emit changed();
}

void Selection::setSectionVisible(int index, bool visible) {
    if (std::exchange(m_sections.at(index).visible, visible) != visible)
        emit changed();
}

void Selection::setSectionTag(int index, int tag) {
    if (std::exchange(m_sections.at(index).tag, tag) != tag)
        emit changed();
}

int Selection::sectionBoxOf(int sectionNumber) const {
    for (int i = 0; i < kSectionBoxCount; ++i) {
        if (m_sections[i].tag == sectionNumber)
            return i;
    }
    return -1;
}

void Selection::setAllSections(int value) {
    if (assign(m_allSections, value)) {
        chkProgramAllSections_Click();
        emit changed();
    }
}

void Selection::clickProgram(int module) {
    setProgram(module, toggled(m_program.at(module).value));
}

void Selection::clickAllModules() {
    setAllModules(toggled(m_allModules.value));
}

void Selection::clickSection(int index) {
    setSection(index, toggled(m_sections.at(index).value));
}

void Selection::clickAllSections() {
    setAllSections(toggled(m_allSections.value));
}

bool Selection::moduleConnected(int module) const {
    return m_bootLoaderRunning[module].value + m_applicationRunning[module].value > 0;
}

void Selection::chkProgram_Click(int) {
    guarded("frmMain", "chkProgram_Click", [&] {
        if (m_checkBoxUpdating)
            return;
        GuardScope guard(m_checkBoxUpdating);
        // Box 0 is the reference; disabled boxes never make the summary grey.
        int summary = m_program[0].value;
        for (int i = 1; i < kModuleCount; ++i) {
            if (m_program[i].value != m_program[0].value && m_program[i].enabled) {
                summary = grey;
                break;
            }
        }
        assign(m_allModules, summary);
        emit changed();
    });
}

void Selection::chkProgramAllModules_Click() {
    guarded("frmMain", "chkProgramAllModules_Click", [&] {
        if (m_checkBoxUpdating)
            return;
        {
            GuardScope guard(m_checkBoxUpdating);
            for (int i = 0; i < kModuleCount; ++i) {
                if (moduleConnected(i)) {
                    assign(m_program[i], m_allModules.value);
                } else {
                    assign(m_program[i], unticked);
                    m_program[i].enabled = false;
                }
            }
        }
        if (m_program[0].enabled)
            chkProgram_Click(0);
        emit changed();
    });
}

void Selection::chkProgramAllSections_Click() {
    guarded("frmMain", "chkProgramAllSections_Click", [&] {
        if (m_checkBoxUpdating)
            return;
        GuardScope guard(m_checkBoxUpdating);
        // A box the module type does not offer (hidden, section -1) is never ticked: the
        // download would fail every module on its missing file.
        for (auto& box : m_sections) {
            if (box.enabled && box.visible && box.tag != -1)
                assign(box, m_allSections.value);
        }
        emit changed();
    });
}

void Selection::chkLoadSection_Click(int) {
    guarded("frmMain", "chkLoadSection_Click", [&] {
        if (m_checkBoxUpdating)
            return;
        GuardScope guard(m_checkBoxUpdating);
        int summary = m_sections[0].value;
        for (int i = 1; i < kSectionBoxCount; ++i) {
            if (m_sections[i].value != m_sections[0].value && m_sections[i].visible) {
                summary = grey;
                break;
            }
        }
        assign(m_allSections, summary);

        auto& appl = m_sections[sectionBoxAppl];
        auto& fpga = m_sections[sectionBoxFPGA];
        // A type without an FPGA section (hidden box) gets none ticked, nor does the guided
        // update, which has no FPGA file: the download would refuse the run for it.
        if (g_forceFpgaDownload && !g_applUpdate && fpga.visible && fpga.tag != -1)
            assign(fpga, appl.value);

        const bool bl2 = m_sections[sectionBoxBL2].value == ticked;
        for (int i : {int(sectionBoxAppl), int(sectionBoxDC), int(sectionBoxFPGA)}) {
            if (bl2)
                assign(m_sections[i], unticked);
            m_sections[i].enabled = !bl2;
        }
        fpga.enabled = !bl2 && !g_forceFpgaDownload;
        emit changed();
    });
}

} // namespace pxu
