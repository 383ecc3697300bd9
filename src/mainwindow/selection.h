#pragma once

#include "core/globals.h"
#include "module_type_tables.h"

#include <QObject>
#include <QString>
#include <array>

namespace pxu {

// Check-box values.
enum CheckValue : int { unticked = 0, ticked = 1, grey = 2 };

struct CheckBoxState {
    int value = unticked;
    bool enabled = true;
    bool visible = true;
};

struct SectionBoxState : CheckBoxState {
    QString caption;
    int tag = -1; // the section number the box stands for
};

// The module and section boxes of the full loader and their rules. A value set from code
// runs the box's Click handler when it changes the value, as a user's click does; the four
// handlers share one guard, so their own changes do not recurse.
class Selection : public QObject {
    Q_OBJECT
public:
    explicit Selection(QObject* parent = nullptr);

    // Module rows: chkProgram, and the state display boxes beside it.
    const CheckBoxState& program(int module) const { return m_program.at(module); }
    void setProgram(int module, int value);
    void setProgramEnabled(int module, bool enabled);
    void setProgramVisible(int module, bool visible);
    int bootLoaderRunning(int module) const { return m_bootLoaderRunning.at(module).value; }
    int applicationRunning(int module) const { return m_applicationRunning.at(module).value; }
    const CheckBoxState& bootLoaderRunningBox(int module) const {
        return m_bootLoaderRunning.at(module);
    }
    const CheckBoxState& applicationRunningBox(int module) const {
        return m_applicationRunning.at(module);
    }
    void setBootLoaderRunning(int module, int value);
    void setApplicationRunning(int module, int value);
    void setStateBoxesVisible(int module, bool visible);

    const CheckBoxState& allModules() const { return m_allModules; }
    void setAllModules(int value);

    const SectionBoxState& section(int index) const { return m_sections.at(index); }
    void setSection(int index, int value);
    void setSectionEnabled(int index, bool enabled);
    void setSectionVisible(int index, bool visible);
    void setSectionTag(int index, int tag);
    // The first box that stands for the section, or -1.
    int sectionBoxOf(int sectionNumber) const;

    const CheckBoxState& allSections() const { return m_allSections; }
    void setAllSections(int value);

    // A user's click: a ticked box becomes unticked, any other ticked.
    void clickProgram(int module);
    void clickAllModules();
    void clickSection(int index);
    void clickAllSections();

    // The handlers.
    void chkProgram_Click(int index);
    void chkProgramAllModules_Click();
    void chkProgramAllSections_Click();
    void chkLoadSection_Click(int index);

signals:
    void changed();

private:
    static int toggled(int value) { return value == ticked ? unticked : ticked; }
    bool moduleConnected(int module) const;
    // Sets a value without its handler; True when it changed.
    static bool assign(CheckBoxState& box, int value);

    std::array<CheckBoxState, kModuleCount> m_program;
    std::array<CheckBoxState, kModuleCount> m_bootLoaderRunning;
    std::array<CheckBoxState, kModuleCount> m_applicationRunning;
    std::array<SectionBoxState, kSectionBoxCount> m_sections;
    CheckBoxState m_allModules;
    CheckBoxState m_allSections;
    bool m_checkBoxUpdating = false;
};

} // namespace pxu
