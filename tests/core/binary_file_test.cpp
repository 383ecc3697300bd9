#include "core/binary_file.h"
#include "support/recording_error_handler.h"

#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

using namespace pxu;

class BinaryFileTest : public QObject {
    Q_OBJECT
private slots:
    void readGivesWholeFile();
    void unreadableFileGoesToErrorReporter_data();
    void unreadableFileGoesToErrorReporter();
};

void BinaryFileTest::readGivesWholeFile() {
    QTemporaryDir dir;
    QByteArray bytes(312, '\0');
    for (int i = 0; i < bytes.size(); ++i)
        bytes[i] = char(255 - i);
    bytes[100] = '\r'; // binary: no line-end translation
    bytes[101] = '\n';
    QFile f(dir.filePath(QStringLiteral("HWInfoBlockVersion1.bin")));
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(bytes);
    f.close();

    test::RecordingErrorHandler errors;
    QByteArray image("old");
    g_readBinFile(f.fileName(), image);
    QCOMPARE(image, bytes);
    QCOMPARE(errors.reports().size(), 0);
}

void BinaryFileTest::unreadableFileGoesToErrorReporter_data() {
    QTest::addColumn<bool>("exists");
    QTest::newRow("empty file") << true;
    QTest::newRow("missing file") << false;
}

void BinaryFileTest::unreadableFileGoesToErrorReporter() {
    QFETCH(bool, exists);

    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("image.bin"));
    if (exists) {
        QFile f(path);
        QVERIFY(f.open(QIODevice::WriteOnly));
    }
    test::RecordingErrorHandler errors;
    QByteArray image("old");
    g_readBinFile(path, image);
    QCOMPARE(image, QByteArray("old"));
    QCOMPARE(errors.reports().size(), 1);
    QCOMPARE(errors.reports().front().object, QStringLiteral("modDownload"));
    QCOMPARE(errors.reports().front().procedure, QStringLiteral("g_readBinFile"));
    QVERIFY(errors.reports().front().failure.description.contains(path));
    QCOMPARE(QFile::exists(path), exists);
}

QTEST_GUILESS_MAIN(BinaryFileTest)
#include "binary_file_test.moc"
