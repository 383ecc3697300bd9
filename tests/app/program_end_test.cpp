#include "main_window_fixture.h"

#include <QProcess>
#include <QtTest>
#include <csignal>

using namespace pxu;
using namespace pxu::test;

// The program in a process of its own, as the user starts it, ended in each way there is
// out of it: every way closes what it holds while the application object still exists and
// ends with the program's own code, never by a signal.
class ProgramEndTest : public QObject {
    Q_OBJECT
private slots:
    void everyWayOutEndsWithTheProgramsCode_data();
    void everyWayOutEndsWithTheProgramsCode();
};

void ProgramEndTest::everyWayOutEndsWithTheProgramsCode_data() {
    QTest::addColumn<QString>("way");
    QTest::addColumn<QStringList>("switches");
    QTest::addColumn<QString>("blockTransfer");
    QTest::addColumn<int>("code");
    const QStringList quiet{"/KEV", "/develop", "/noCan"};
    // A malformed item fails the start-up once the configuration is open.
    QTest::newRow("Exit program of the error reporter") << "reporter-exit" << quiet << "maybe" << 1;
    QTest::newRow("No to the start question")
        << "start-question-no" << QStringList{"/KEV", "/noCan"} << "0" << 0;
    QTest::newRow("log-off that ends the program") << "fatal-log-off" << quiet << "0" << 1;
    QTest::newRow("SIGTERM") << "sigterm" << quiet << "0" << 128 + SIGTERM;
}

void ProgramEndTest::everyWayOutEndsWithTheProgramsCode() {
    QFETCH(QString, way);
    QFETCH(QStringList, switches);
    QFETCH(QString, blockTransfer);
    QFETCH(int, code);
    Workspace workspace;
    workspace.setMiscItem(QStringLiteral("blockTransfer"), blockTransfer);
    QProcess program;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("PXU_TIME_SCALE"), QStringLiteral("0.01"));
    environment.insert(QStringLiteral("TMPDIR"), workspace.folder());
    environment.insert(QStringLiteral("XDG_RUNTIME_DIR"), workspace.folder());
    program.setProcessEnvironment(environment);
    program.setProcessChannelMode(QProcess::ForwardedChannels);

    program.start(QStringLiteral(PXU_LOADER_END_HELPER),
                  QStringList{way} + switches + QStringList{"/db=" + workspace.folder()});

    QVERIFY(program.waitForFinished(60'000));
    QCOMPARE(program.exitStatus(), QProcess::NormalExit);
    QCOMPARE(program.exitCode(), code);
}

QTEST_GUILESS_MAIN(ProgramEndTest)
#include "program_end_test.moc"
