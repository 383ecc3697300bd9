#pragma once

#include <QList>
#include <QString>
#include <QStringList>
#include <QVariantList>
#include <optional>

namespace pxu {

class MainWindow;
struct Failure;
class SystemInfoExchange;
struct SystemInformation;
class UpdaterFace;

// The guided update's step machine, run by the face's 500 ms timer: it connects to the
// engine, reads its system information, finds the build and the new application, checks
// the modules, has the main window download and start the application, writes the new
// application CRC back, checks the result and shows the outcome; Finish writes the report
// and ends the program. Each tick handles an exit request, notices a step change, and from
// the third tick of a step on runs the step's body once per tick.
class UpdateSequencer {
public:
    UpdateSequencer(UpdaterFace& face, SystemInfoExchange& exchange);

    // One tick of timCyclic. A tick that comes while one runs, or while another long
    // operation of the main window runs (they pass window events), is dropped.
    void timCyclic_Timer();

    // The step the last tick saw; nothing before the first.
    std::optional<int> lastStep() const { return m_lastStep; }
    int dornModule() const { return m_dornModule; }

private:
    void tick();
    void enterStep(int step);
    void runBody(int step);
    // A lost channel ends the run at once, before a step that needs the bus waits in vain.
    bool stoppedByLostChannel(int step);
    // A failure raised inside a tick ends the run: the step fails and the outcome follows.
    void stopOnFailure(const Failure& failure);
    // The end of every run: Finish and the report button offered, the timer off.
    void endRun();

    // Steps 0 to 5.
    void step0();
    void step1();
    void step2();
    void step3();
    void step4();
    void detectModules();
    void step5();
    // Steps 8 to 12.
    void step8();
    void step9();
    void step10();
    void step11();
    void step12();

    // The system information as logged after step 2 (before) or at the check (after).
    void logSystemInformation(bool afterUpdate);
    bool systemInformationComplete() const;

    // Helpers.
    MainWindow& window() const;
    SystemInformation& info() const;
    int& step() const;
    bool timeOut(int seconds) const;
    bool dorn() const;
    void log(const QString& text, int reportIndex = -1) const;
    void showInfo(const QString& text, bool okButton, bool finishButton) const;
    // Shows the message of a failure; the outcome shows it again.
    void showFailure(const QString& text, bool okButton, bool finishButton);
    void setBox(int box, const QString& text, int colour) const;
    // A failure that ends the run: the box red with its text, the lines logged, the text
    // shown with Finish, the outcome failed, step 12.
    void failRun(int box, const QString& boxText, const QStringList& lines,
                 const QString& userInfo);
    // The modules 0 to noOfCyl (or the DORN module) whose indicator is 0.
    QList<int> updaterModules() const;
    // The modules step 4 counted: the spare and the cylinders (the DORN module).
    QList<int> detectedModules() const;
    // The eight values of the update question and the success message.
    QVariantList summaryValues() const;

    UpdaterFace& m_face;
    SystemInfoExchange& m_exchange;
    std::optional<int> m_lastStep;
    bool m_stepFirstRun = false;
    int m_expectedModules = 0;
    int m_dornModule = -1;
    bool m_ticking = false;
    QList<int> m_modulesToLoad;      // the modules the download must load
    int m_downloadLogStart = 0;      // the main window's first log line of the download
    qint32 m_newApplicationCrc = -1; // the CRC written back, which the check must read
    QString m_failureInfo;           // the user information of the failure that ends the run
    bool m_stoppedByFailure = false;
};

// "PXU #00, PXU #03": the modules as the update's messages list them.
QString moduleListText(const QList<int>& modules);
// A user message formatted with the values.
QString formattedUserMessage(int messageId, const QVariantList& values);

} // namespace pxu
