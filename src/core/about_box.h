#pragma once

#include "platform/clock/clock_timer.h"

#include <QDialog>
#include <QPointer>

class QLabel;
class QPushButton;

namespace pxu {

// The about box's controls.
class AboutForm : public QDialog {
    Q_OBJECT
public:
    AboutForm();

    QLabel* lblTitle;
    QLabel* lblVersion;
    QLabel* lblDescription;
    QLabel* lblDLLVersion;
    QPushButton* cmdOK;
    QPushButton* cmdSysInfo;

    // Outer heights in twips: as designed, and as the self-closing splash.
    static constexpr int kHeight = 4115;
    static constexpr int kSplashHeight = 3000;
    void setWindowHeight(int twipsHeight);
};

// The about box: title, version, description and the CAN interface's version; shown from
// the Help menu, or once as a splash that closes itself after five seconds.
class AboutBox : public QObject {
    Q_OBJECT
public:
    explicit AboutBox(QObject* parent = nullptr);
    ~AboutBox() override;

    void g_showAbout(bool autoClose);
    // Starts the desktop's system-information program: the configured one, else the first
    // known one found on the path, else tells that there is none.
    void StartSysInfo();
    void setSystemInfoProgram(const QString& path) { m_systemInfoProgram = path; }

    void cmdOk_Click() { unload(); }
    void cmdSysInfo_Click() { StartSysInfo(); }
    void timClose_Timer() { cmdOk_Click(); }
    void unload();

    AboutForm* form() const { return m_form; }
    bool isLoaded() const { return m_form != nullptr; }

    // Programs that show the system's information, looked for in this order.
    static const QStringList& knownSystemInfoPrograms();

private:
    void load();

    QString m_systemInfoProgram;
    ClockTimer m_timClose;
    QPointer<AboutForm> m_form;
};

// The program-wide about box, created on first use.
AboutBox& frmAbout();

} // namespace pxu
