#pragma once

#include <QByteArray>
#include <QObject>
#include <QPointer>
#include <QStringList>
#include <array>

namespace pxu {

class HwInfoBlockRepairForm;

// The repair window's controls that its logic changes.
enum class RepairControl : int {
    cmbModuleNum,
    CmbHWVersion,
    txtHWSerial,
    txtProductionDateWeek,
    txtProductionDateYear,
    cmdDownload,
    cmdCreateFile,
    cmdExit,
    count
};

// What the repair window shows.
struct HwInfoBlockRepairView {
    QStringList moduleItems;  // cmbModuleNum: "---" and the connected modules
    int moduleIndex = -1;     // nothing chosen: the box shows "---"
    QStringList versionItems; // CmbHWVersion: "---" and one item per template file
    int versionIndex = -1;
    QString serial = QStringLiteral("---"); // txtHWSerial
    QString week = QStringLiteral("01");    // txtProductionDateWeek
    QString year = QStringLiteral("1980");  // txtProductionDateYear
    int serialColour = 0xFFFFFF;            // back colour of txtHWSerial
    bool createFileVisible = false;
    std::array<bool, int(RepairControl::count)> enabled{};
    bool enabledOf(RepairControl c) const { return enabled[int(c)]; }
};

// The hardware-info-block repair (frmHWInfoBlockRepair): reads a module's hardware info
// block, lets the user correct hardware version, production date and serial number, and
// writes a block made from the version's template back into the module's bootloader.
//
// A module chosen here is switched to its bootloader at once. If it was running its
// application, the window starts that again when another module is chosen, when the
// window is closed or the program shuts down, or after the repair; a module whose block
// write failed stays in its bootloader. The main window is locked while the window talks to a
// module.
class HwInfoBlockRepair : public QObject {
    Q_OBJECT
public:
    explicit HwInfoBlockRepair(QObject* parent = nullptr);
    ~HwInfoBlockRepair() override;

    // Lists modules and templates and shows the window; without templates only an error.
    void g_show();
    // A module chosen: index into the module list (0 is "---").
    void cmbModuleNum_Click(int index);
    void cmbModuleNum_GotFocus() { createModuleList(); }
    // The repair: build the block from the template and write it.
    void cmdDownload_Click();
    // Saves the block as read to "UploadedHWInfoBlock.bin" in the template folder.
    void cmdCreateFile_Click();
    // Exit: starts the application again where this window stopped it, and closes.
    void cmdExit_Click();
    // Closes without a word to the modules (the shut-down, after the bus was released).
    void unload();

    // The user's edits.
    void setVersionIndex(int index);
    void setSerial(const QString& text);
    void setWeek(const QString& text);
    void setYear(const QString& text);

    const HwInfoBlockRepairView& view() const { return m_view; }
    bool loaded() const { return m_loaded; }
    QString templateDir() const { return m_templateDir; }
    const QByteArray& infoBlock() const { return m_infoBlock; }
    HwInfoBlockRepairForm* form() const;

    // The longest wait for the bootloader to leave loading status 127.
    static constexpr int kStatusWaitMs = 15000;

signals:
    void changed();

private:
    void disableControls(bool alsoModuleAndExit);
    void enableControls(bool onlyModuleAndExit);
    void createModuleList();
    void setColor(int colour);
    void resetInputFields();
    void setEnabled(RepairControl control, bool on) { m_view.enabled[int(control)] = on; }
    enum class Outcome;
    Outcome repair();
    void showBlock(const QByteArray& block);
    bool inputsValid(const QString& hw, const QString& templateFile);
    // Starts the application again on the module this window switched, if any.
    void restartSwitchedModule();
    // The same with the main window locked meanwhile: at Exit, the window's close and the
    // beginning of the shut-down.
    void releaseSwitchedModule(const char* procedure);

    HwInfoBlockRepairView m_view;
    QString m_templateDir;
    QByteArray m_infoBlock;
    int m_moduleNumber = 0;
    int m_switchedModule = -1; // left in its bootloader by this window, was running
    bool m_serialPresent = false;
    bool m_applicationWasRunning = false;
    bool m_loaded = false;
    QPointer<HwInfoBlockRepairForm> m_form;
};

// The program's repair window, made on first use beside the main window.
HwInfoBlockRepair& frmHWInfoBlockRepair();

} // namespace pxu
