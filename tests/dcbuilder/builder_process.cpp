#include "builder_process.h"

#include "core/globals.h"

#include "dcdatabase/dc_job.h"
#include "dcdatabase/special_symbols.h"
#include "image_fixture.h"
#include "sample_versions.h"
#include "support/scripted_dialogs.h"

#include <QDir>
#include <QFile>
#include <QtTest>
#include <csignal>

namespace pxu::test {

namespace {

const QLatin1String kStoppedAfterWriting{"stopped after writing "};

} // namespace

QByteArray sampleKillPlant() {
    ScriptedDialogs dialogs;
    DcFixture fixture;
    const QString plant = currentSampleVersions(fixture, dialogs, 1);
    RecordingSink sink;
    QString label;
    if (const auto failure = dc::DcJob::run(plant, [&](dc::DcJob& job) {
            dc::SpecialSymbols(job, sink).setString(QStringLiteral("M-BEFORE"),
                                                    dc::alias::manufacNo, label);
        }))
        qFatal("%s", qPrintable(*failure));
    QFile file(plant);
    if (!file.open(QIODevice::ReadOnly))
        qFatal("cannot read %s", qPrintable(plant));
    return file.readAll();
}

void preparePlant(const QString& folder, const QByteArray& plant) {
    const QDir dir(folder);
    QFile version(dir.filePath(DcFixture::versionName(1)));
    QVERIFY(version.open(QIODevice::WriteOnly) && version.write(plant) == plant.size());
    version.close();
    for (const char* name : {"global.h", "library.h", "dataContainer.h"})
        QVERIFY(QFile::copy(QStringLiteral(PXU_SAMPLE_HEADERS "/") + QLatin1String(name),
                            dir.filePath(QLatin1String(name))));
    QVERIFY(QFile::copy(QStringLiteral(PXU_SAMPLE_SIGNAL_LIST),
                        dir.filePath(QStringLiteral("signal-list.xlsx"))));
    copySampleLoadFiles(folder);
    // The helper reads the program's settings from the folder's configuration database.
    const QString config = dir.filePath(QFileInfo(g_configDbPath).fileName());
    QVERIFY(QFile::exists(config) || QFile::copy(g_configDbPath, config));
}

BuilderProcess::BuilderProcess(const QString& folder, const QStringList& arguments) {
    m_child.setProcessChannelMode(QProcess::MergedChannels);
    m_child.start(QStringLiteral(PXU_KILL_HELPER), QStringList{folder} + arguments);
}

BuilderProcess::~BuilderProcess() {
    kill();
}

bool BuilderProcess::waitUntilStopped() {
    while (m_child.state() != QProcess::NotRunning || m_child.bytesAvailable() > 0) {
        if (m_child.bytesAvailable() == 0 && !m_child.waitForReadyRead(60'000))
            break;
        while (m_child.canReadLine()) {
            const QString line = QString::fromLocal8Bit(m_child.readLine()).chopped(1);
            m_output += line + u'\n';
            if (line == QLatin1String("stopped"))
                return true;
            if (line.startsWith(kStoppedAfterWriting)) {
                m_written = line.mid(kStoppedAfterWriting.size());
                return true;
            }
        }
    }
    m_output += QString::fromLocal8Bit(m_child.readAll());
    return false;
}

void BuilderProcess::kill() {
    if (m_child.state() == QProcess::NotRunning)
        return;
    m_child.kill(); // SIGKILL
    m_child.waitForFinished(60'000);
}

void BuilderProcess::goOn() {
    m_written.clear();
    ::kill(pid_t(m_child.processId()), SIGUSR1);
}

bool BuilderProcess::waitUntilEnded() {
    m_child.waitForFinished(120'000);
    m_output += QString::fromLocal8Bit(m_child.readAll());
    const bool ended = m_child.exitStatus() == QProcess::NormalExit && m_child.exitCode() == 0;
    if (!ended)
        m_output += QStringLiteral("<ended with %1>\n").arg(m_child.exitCode());
    return ended;
}

} // namespace pxu::test
