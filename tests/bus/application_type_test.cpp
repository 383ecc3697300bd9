// The application type from load files and, against the simulator, from the connected
// modules.
#include "bus/application_mode.h"
#include "core/globals.h"
#include "core/srecord_file.h"
#include "support/recording_error_handler.h"

#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

using namespace pxu;
using namespace pxu::modApplicationMode;

class ApplicationTypeTest : public QObject {
    Q_OBJECT
private slots:
    void fileTypeIsFirstCodeFound_data();
    void fileTypeIsFirstCodeFound();
    void fileTypeOfModuleTypes();
    void startAddressFromSecondLine_data();
    void startAddressFromSecondLine();

private:
    QString write(const QString& name, const QByteArray& text);
    QTemporaryDir m_dir;
};

QString ApplicationTypeTest::write(const QString& name, const QByteArray& text) {
    const QString path = m_dir.filePath(name);
    QFile file(path);
    if (file.open(QIODevice::WriteOnly))
        file.write(text);
    return path;
}

void ApplicationTypeTest::fileTypeIsFirstCodeFound_data() {
    QTest::addColumn<QByteArray>("image");
    QTest::addColumn<int>("type");
    const QByteArray filler(300, '\x5A');
    QTest::newRow("ZENT-6183") << filler + "xxZENT-6183 V1" + filler << 0;
    QTest::newRow("ZENT without its number") << filler + "ZENT V1" << 0;
    QTest::newRow("LORX only") << filler + "LORX" + filler << 2;
    QTest::newRow("DORN and LORX") << "LORX" + filler + "DORN" << 1;
    QTest::newRow("ZENT-6183 before DORN") << "DORN" + filler + "ZENT-6183" << 0;
    QTest::newRow("across a record boundary") << QByteArray(30, '\0') + "DORN" << 1;
    QTest::newRow("no code") << filler << 0;
}

void ApplicationTypeTest::fileTypeIsFirstCodeFound() {
    QFETCH(QByteArray, image);
    QFETCH(int, type);
    const QString path = m_dir.filePath(QStringLiteral("PXU_APPL.S19"));
    QVERIFY(g_binToSRec(image, 0x30000, QStringLiteral("S28"), path));
    QCOMPARE(g_checkAppFileType(path), type);
}

void ApplicationTypeTest::fileTypeOfModuleTypes() {
    const QString missing = m_dir.filePath(QStringLiteral("missing.S19"));
    QCOMPARE(g_checkAppFileType(missing), 0);
    g_KEVMode = true;
    QCOMPARE(g_checkAppFileType(missing), 6);
    g_KEVMode = false;
    g_TOQMode = true;
    QCOMPARE(g_checkAppFileType(missing), 7);
    g_TOQMode = false;
}

void ApplicationTypeTest::startAddressFromSecondLine_data() {
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<int>("address");
    QTest::newRow("S2 record at 0x30000")
        << QByteArray("S00600004844521B\r\nS2140300000000000000000000000000000000E8\r\n")
        << 0x30000;
    QTest::newRow("S2 record at 0x100000")
        << QByteArray("S0030000FC\nS2081000000102030400\nS804000000FB\n") << 0x100000;
    QTest::newRow("one line only") << QByteArray("S0030000FC\n") << 0;
    QTest::newRow("empty file") << QByteArray() << 0;
    QTest::newRow("S1 record") << QByteArray("S0030000FC\nS1070300010203F1\n") << 0;
    QTest::newRow("address field not hexadecimal")
        << QByteArray("S0030000FC\nS214 30000\n") << 0;
}

void ApplicationTypeTest::startAddressFromSecondLine() {
    QFETCH(QByteArray, text);
    QFETCH(int, address);
    test::RecordingErrorHandler errors;
    QCOMPARE(g_getApplStartAddr(write(QStringLiteral("APPL.S19"), text)), address);
    QCOMPARE(errors.reports().size(), 0);
    QCOMPARE(g_getApplStartAddr(m_dir.filePath(QStringLiteral("missing.S19"))), 0);
}

QTEST_GUILESS_MAIN(ApplicationTypeTest)
#include "application_type_test.moc"
