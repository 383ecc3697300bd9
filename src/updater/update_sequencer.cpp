#include "update_sequencer.h"

#include "bus/can_open_master.h"
#include "core/byte_conversions.h"
#include "core/config_items.h"
#include "core/error.h"
#include "core/error_boundary.h"
#include "core/globals.h"
#include "core/sprintf.h"
#include "mainwindow/log_lines.h"
#include "mainwindow/main_window.h"
#include "platform/clock/clock.h"
#include "system_information.h"
#include "updater_face.h"

namespace pxu {

namespace {

constexpr int kLastStep = 12;

const QString& stepName(int step) {
    static const QString names[] = {
        QString(),
        QStringLiteral("Prepare connection to ZENT"),
        QStringLiteral("Get System Information"),
        QStringLiteral("Evaluate Build"),
        QStringLiteral("Detect PXU's"),
        QStringLiteral("Enable Autoupdate"),
        QStringLiteral("Set Cylinder-PXU's to bootloader"),
        QStringLiteral("Set Spare-PXU to bootloader"),
        QStringLiteral("Download Application Update"),
        QStringLiteral("Start Updated Application"),
        QStringLiteral("Update Application CRC"),
        QStringLiteral("Check Update"),
        QStringLiteral("Update done"),
    };
    return names[step];
}

} // namespace

QString moduleListText(const QList<int>& modules) {
    QStringList names;
    for (const int m : modules)
        names << sprintf(QStringLiteral("PXU #{00}"), m);
    return names.join(QStringLiteral(", "));
}

QString formattedUserMessage(int messageId, const QVariantList& values) {
    return sprintf(g_getUserMessage(messageId), values);
}

UpdateSequencer::UpdateSequencer(UpdaterFace& face, SystemInfoExchange& exchange)
    : m_face(face)
    , m_exchange(exchange) {}

MainWindow& UpdateSequencer::window() const {
    return m_face.window();
}

SystemInformation& UpdateSequencer::info() const {
    return m_exchange.info();
}

int& UpdateSequencer::step() const {
    return m_face.m_updaterStep;
}

bool UpdateSequencer::timeOut(int seconds) const {
    return m_face.m_stepTicks > 2 * seconds;
}

bool UpdateSequencer::dorn() const {
    return g_applType == applTypeDorn;
}

void UpdateSequencer::log(const QString& text, int reportIndex) const {
    QString consumed = text;
    m_face.addMessageUpdater(consumed, reportIndex);
}

void UpdateSequencer::showInfo(const QString& text, bool okButton, bool finishButton) const {
    m_face.setUserInfo(text, 0, okButton, finishButton);
}

void UpdateSequencer::setBox(int box, const QString& text, int colour) const {
    m_face.setText(box, text, colour);
}

void UpdateSequencer::showFailure(const QString& text, bool okButton, bool finishButton) {
    showInfo(text, okButton, finishButton);
    m_failureInfo = m_face.view().userInfo;
}

void UpdateSequencer::failRun(int box, const QString& boxText, const QStringList& lines,
                              const QString& userInfo) {
    setBox(box, boxText, kColourRed);
    for (const QString& line : lines)
        log(line);
    showFailure(userInfo, false, true);
    m_face.m_updateFailed = true;
    step() = kLastStep;
}

QVariantList UpdateSequencer::summaryValues() const {
    const SystemInformation& i = info();
    return {i.hullNumber,
            i.engineType,
            i.noOfCyl,
            i.build,
            g_toHex(i.crcValueApplication),
            i.crcLenApplication,
            g_toHex(i.crcValueImo),
            i.crcLenImo};
}

void UpdateSequencer::timCyclic_Timer() {
    // The download and the module starts pass window events while they wait: a tick then
    // would start a step inside another.
    if (m_ticking || window().shutDown().busy())
        return;
    m_ticking = true;
    std::optional<Failure> failure;
    guarded("frmMain", "timCyclic_Timer", [&] {
        failure.reset();
        try {
            tick();
        } catch (...) {
            failure = detail::failureOf(std::current_exception());
            throw; // to the error reporter, whose Repeat runs the tick again
        }
    });
    if (failure)
        stopOnFailure(*failure);
    m_ticking = false;
}

void UpdateSequencer::stopOnFailure(const Failure& failure) {
    guarded("frmMain", "timCyclic_Timer", [&] {
        // A failure of the outcome itself: nothing is left to run.
        if (std::exchange(m_stoppedByFailure, true)) {
            endRun();
            return;
        }
        const int now = step();
        if (now >= 1 && now <= kLastStep)
            setBox(now, QString(), kColourRed);
        log(QStringLiteral("   Update stopped by an unexpected failure: ") + failure.description);
        showFailure(QStringLiteral("The update was stopped by an unexpected failure: ") +
                        failure.description,
                    false, false);
        m_face.m_updateFailed = true;
        step() = kLastStep;
    });
}

void UpdateSequencer::tick() {
    if (m_face.m_exitRequested) {
        if (step() == 8) {
            step() = 9;
            m_face.m_exitRequested = false;
            m_face.m_updateCanceled = true;
        } else if (step() == 10) {
            step() = kLastStep;
            m_face.m_exitRequested = false;
        } else {
            m_face.writeReport();
            window().cmdExit_Click();
            return;
        }
    }
    if (step() < 0 || step() > kLastStep) {
        m_face.writeReport();
        window().cmdExit_Click();
        return;
    }
    if (m_lastStep != step())
        enterStep(step());

    int& ticks = m_face.m_stepTicks;
    if (ticks > 0) {
        // The bar creeps 1/240 a tick and stops where the next step begins.
        const int now = step();
        if (float(now + 1) / 12.0f > float(m_face.view().progressUpdater)) {
            const double value = (now + ticks / 20.0) / 12.0;
            if (value >= 0.0 && value <= 1.0)
                m_face.updateProgressUpdater(value, false);
        }
        if (!stoppedByLostChannel(now))
            runBody(now);
        m_stepFirstRun = false;
        if (step() == kLastStep)
            m_face.setExitEnabled(true);
        if (ticks < 100)
            ++ticks;
    } else {
        ++ticks;
    }
}

void UpdateSequencer::enterStep(int now) {
    if (now == 1)
        m_face.m_reportLines[0] = QStringLiteral("------------------- ") + g_productText +
                                  QStringLiteral(" Update Tool started  ") +
                                  generalDateTime(clock().currentDateTime()) +
                                  QStringLiteral(" -------------------");
    m_stepFirstRun = true;
    m_face.m_stepTicks = -2;
    m_face.setProgressLoadVisible(false);
    m_lastStep = now;
    if (now >= 1) {
        log(sprintf(QStringLiteral("Step {*}: "), now) + stepName(now));
        setBox(now, QString(), kStepRunning);
    }
    // Step 0 has no text of its own: its body asks the start question.
    if (!m_face.m_updateFailed)
        showInfo(now == 0 ? QString() : QString::number(now * 10), false, false);
    m_face.updateProgressUpdater(now / 12.0, false);
}

bool UpdateSequencer::stoppedByLostChannel(int now) {
    // Step 1 opens the bus anew; the download of step 8 stops itself and step 8 tells it
    // with the download's lines; the outcome needs no bus.
    if (now < 2 || now == 8 || now >= kLastStep || !frmCANopen().channelLost())
        return false;
    const QString lost = frmCANopen().lostChannelText();
    failRun(now, QStringLiteral("CAN Channel Lost"), {channelLostLine(QStringLiteral("Update"))},
            QStringLiteral("The connection to the ZENT is lost (") + lost +
                QStringLiteral("): the update cannot go on. Please check the USB-to-CAN "
                               "converter and its cable, then start the update again."));
    return true;
}

void UpdateSequencer::runBody(int now) {
    switch (now) {
    case 0:
        step0();
        break;
    case 1:
        step1();
        break;
    case 2:
        step2();
        break;
    case 3:
        step3();
        break;
    case 4:
        step4();
        break;
    case 5:
        step5();
        break;
    case 8:
        step8();
        break;
    case 9:
        step9();
        break;
    case 10:
        step10();
        break;
    case 11:
        step11();
        break;
    case 12:
        step12();
        break;
    default:
        break; // steps 6 and 7 are never entered
    }
}

} // namespace pxu
