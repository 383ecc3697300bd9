#include "about_box.h"

#include "desktop.h"
#include "dialog_service.h"
#include "form_support.h"
#include "globals.h"
#include "program_info.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QLabel>
#include <QPushButton>
#include <QStandardPaths>
#include <cmath>

namespace pxu {

namespace {

constexpr int kClientWidth = 5730;

// One decimal place, halves away from zero; 1.0 when the component told no version.
QString interfaceVersionText(const QString& version) {
    bool ok = false;
    double v = version.trimmed().toDouble(&ok);
    if (!ok)
        v = 1.0;
    return QString::number(std::round(v * 10.0) / 10.0, 'f', 1);
}

} // namespace

AboutForm::AboutForm()
    : lblTitle(new QLabel(this))
    , lblVersion(new QLabel(this))
    , lblDescription(new QLabel(QStringLiteral("Software Updater Tool for PXU-20 Modules."), this))
    , lblDLLVersion(new QLabel(this))
    , cmdOK(new QPushButton(QStringLiteral("OK"), this))
    , cmdSysInfo(new QPushButton(QStringLiteral("&System Info..."), this)) {
    setObjectName(QStringLiteral("frmAbout"));
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);
    lblTitle->setObjectName(QStringLiteral("lblTitle"));
    lblVersion->setObjectName(QStringLiteral("lblVersion"));
    lblDescription->setObjectName(QStringLiteral("lblDescription"));
    lblDLLVersion->setObjectName(QStringLiteral("lblDLLVersion"));
    cmdOK->setObjectName(QStringLiteral("cmdOK"));
    cmdSysInfo->setObjectName(QStringLiteral("cmdSysInfo"));

    QFont titleFont = lblTitle->font();
    titleFont.setPointSizeF(titleFont.pointSizeF() * 1.5);
    titleFont.setBold(true);
    lblTitle->setFont(titleFont);
    lblTitle->setGeometry(twipsRect(240, 240, 5250, 480));
    lblVersion->setGeometry(twipsRect(240, 780, 5250, 285));
    lblDescription->setGeometry(twipsRect(240, 1200, 5250, 900));
    lblDescription->setWordWrap(true);
    lblDescription->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    lblDLLVersion->setGeometry(twipsRect(240, 2160, 5250, 285));
    cmdSysInfo->setGeometry(twipsRect(2640, 3120, 1500, 345));
    cmdOK->setGeometry(twipsRect(4245, 3120, 1260, 345));
    cmdOK->setDefault(true);
    setWindowHeight(kHeight);
}

void AboutForm::setWindowHeight(int twipsHeight) {
    setFixedSize(twips(kClientWidth), twips(twipsHeight - kWindowFrameTwips));
}

AboutBox::AboutBox(QObject* parent)
    : QObject(parent) {
    m_timClose.setInterval(5000);
    connect(&m_timClose, &ClockTimer::timeout, this, &AboutBox::timClose_Timer);
    if (QCoreApplication* app = QCoreApplication::instance())
        connect(app, &QCoreApplication::aboutToQuit, this, &AboutBox::unload);
}

AboutBox::~AboutBox() {
    if (m_form && QCoreApplication::instance())
        delete m_form.data();
}

void AboutBox::load() {
    if (m_form)
        return;
    m_timClose.stop();
    m_form = new AboutForm; // deleted by unload or the destructor
    m_form->setWindowTitle(QStringLiteral("About ") + programTitle());
    takeMainWindowIcon(*m_form);
    connect(m_form->cmdOK, &QPushButton::clicked, this, &AboutBox::cmdOk_Click);
    connect(m_form->cmdSysInfo, &QPushButton::clicked, this, &AboutBox::cmdSysInfo_Click);
}

void AboutBox::unload() {
    m_timClose.stop();
    if (!m_form)
        return;
    AboutForm* form = m_form;
    m_form = nullptr;
    form->setObjectName(QString());
    form->hide();
    form->deleteLater();
}

void AboutBox::g_showAbout(bool autoClose) {
    load();
    const ProgramVersion v = programVersion();
    m_form->lblVersion->setText(QStringLiteral("Version %1.%2.%3   (%4)")
                                    .arg(v.major)
                                    .arg(v.minor)
                                    .arg(v.revision)
                                    .arg(QStringLiteral("Full")));
    m_form->lblTitle->setText(programTitle());
    if (autoClose) {
        m_form->setWindowHeight(AboutForm::kSplashHeight); // the buttons fall out of view
        m_timClose.start();
    } else {
        m_form->setWindowHeight(AboutForm::kHeight);
        m_timClose.stop();
    }
    m_form->lblDLLVersion->setText(QStringLiteral("CANInterface DLL Version: ") +
                                   interfaceVersionText(g_canInterfaceVersion));
    m_form->show();
}

const QStringList& AboutBox::knownSystemInfoPrograms() {
    static const QStringList programs{QStringLiteral("kinfocenter"), QStringLiteral("hardinfo2"),
                                      QStringLiteral("hardinfo"),
                                      QStringLiteral("gnome-system-monitor")};
    return programs;
}

void AboutBox::StartSysInfo() {
    QString program;
    if (!m_systemInfoProgram.isEmpty() && QFileInfo(m_systemInfoProgram).isExecutable())
        program = m_systemInfoProgram;
    for (qsizetype i = 0; program.isEmpty() && i < knownSystemInfoPrograms().size(); ++i)
        program = QStandardPaths::findExecutable(knownSystemInfoPrograms()[i]);
    if (!program.isEmpty() && startProgram(program))
        return;
    BoxRequest request;
    request.title = programTitle();
    request.text = QStringLiteral("System Information Is Unavailable At This Time");
    dialogs().messageBox(request);
}

AboutBox& frmAbout() {
    static QPointer<AboutBox> instance;
    if (!instance)
        instance = new AboutBox(QCoreApplication::instance()); // owned by the application
    return *instance;
}

} // namespace pxu
