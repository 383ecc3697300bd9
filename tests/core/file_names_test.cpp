#include "core/file_check.h"
#include "core/file_names.h"
#include "support/scripted_dialogs.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

using namespace pxu;
using pxu::test::ScriptedDialogs;

namespace {

const QString kUnchanged = QStringLiteral("<unchanged>");

void touch(const QString& path) {
    QFile file(path);
    QVERIFY2(file.open(QIODevice::WriteOnly), qPrintable(path));
}

} // namespace

class FileNamesTest : public QObject {
    Q_OBJECT
private slots:
    void init();
    void findsHighestVersion_data();
    void findsHighestVersion();
    void completesDcNameWithLongerPrefix_data();
    void completesDcNameWithLongerPrefix();
    void joinsAndSplitsNames_data();
    void joinsAndSplitsNames();
    void checksExistenceAndWriteability_data();
    void checksExistenceAndWriteability();

private:
    std::unique_ptr<QTemporaryDir> m_dir;
    QString path(const QString& name) const { return m_dir->filePath(name); }
};

void FileNamesTest::init() {
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
}

void FileNamesTest::findsHighestVersion_data() {
    QTest::addColumn<QStringList>("files");
    QTest::addColumn<QString>("pattern");
    QTest::addColumn<QString>("result");
    QTest::addColumn<QString>("workingCopy");
    QTest::addColumn<QString>("nextVersion");
    QTest::addColumn<QStringList>("boxes");

    const QString pattern = QStringLiteral("Tool-PXU-DC-???.mdb");
    QTest::newRow("highest of three")
        << QStringList{"Tool-PXU-DC-001.mdb", "Tool-PXU-DC-003.mdb", "Tool-PXU-DC-002.mdb"}
        << pattern << "Tool-PXU-DC-003.mdb"
        << "Tool-PXU-DC-temp.md"
        << "Tool-PXU-DC-004.mdb" << QStringList{};
    QTest::newRow("numeric comparison") << QStringList{"Tool-PXU-DC-009.mdb", "Tool-PXU-DC-010.mdb"}
                                        << pattern << "Tool-PXU-DC-010.mdb"
                                        << "Tool-PXU-DC-temp.md"
                                        << "Tool-PXU-DC-011.mdb" << QStringList{};
    QTest::newRow("only unversioned file")
        << QStringList{"Tool-PXU-DC.mdb"} << pattern << "Tool-PXU-DC.mdb"
        << "Tool-PXU-DC-temp.md"
        << "Tool-PXU-DC-001.mdb" << QStringList{};
    QTest::newRow("no file") << QStringList{"Other-PXU-DC-001.mdb", "Tool-PXU-DC-01.mdb"} << pattern
                             << "" << kUnchanged << kUnchanged << QStringList{};
    QTest::newRow("version 000 refused")
        << QStringList{"Tool-PXU-DC-000.mdb", "Tool-PXU-DC-002.mdb"} << pattern << "" << kUnchanged
        << kUnchanged << QStringList{"Invalid Data Container version number: 000"};
    QTest::newRow("non-digit version ignored")
        << QStringList{"Tool-PXU-DC-99a.mdb", "Tool-PXU-DC-002.mdb", "Tool-PXU-DC-0 7.mdb"}
        << pattern << "Tool-PXU-DC-002.mdb"
        << "Tool-PXU-DC-temp.md"
        << "Tool-PXU-DC-003.mdb" << QStringList{};
    QTest::newRow("only non-digit versions") << QStringList{"Tool-PXU-DC-abc.mdb"} << pattern << ""
                                             << kUnchanged << kUnchanged << QStringList{};
    QTest::newRow("upper-case names match")
        << QStringList{"TOOL-PXU-DC-004.MDB", "Tool-PXU-DC-002.mdb"} << pattern
        << "TOOL-PXU-DC-004.MDB"
        << "TOOL-PXU-DC-temp.MD"
        << "TOOL-PXU-DC-005.MDB" << QStringList{};
    QTest::newRow("upper-case unversioned file")
        << QStringList{"TOOL-PXU-DC.MDB"} << pattern << "TOOL-PXU-DC.MDB"
        << "Tool-PXU-DC-temp.md"
        << "Tool-PXU-DC-001.mdb" << QStringList{};
    QTest::newRow("pattern without version") << QStringList{"Tool-PXU-DC.mdb"} << "Tool-PXU-DC.mdb"
                                             << "" << kUnchanged << kUnchanged << QStringList{};
    QTest::newRow("missing folder") << QStringList{} << "missing/Tool-PXU-DC-???.mdb"
                                    << "" << kUnchanged << kUnchanged << QStringList{};
}

void FileNamesTest::findsHighestVersion() {
    QFETCH(QStringList, files);
    QFETCH(QString, pattern);
    QFETCH(QString, result);
    QFETCH(QString, workingCopy);
    QFETCH(QString, nextVersion);
    QFETCH(QStringList, boxes);
    for (const QString& file : files)
        touch(path(file));
    const auto full = [&](const QString& name) {
        return name.isEmpty() || name == kUnchanged ? name : path(name);
    };
    ScriptedDialogs dialogs;

    QString workingCopyName = kUnchanged;
    QString nextVersionName = kUnchanged;
    QCOMPARE(g_getHighestFileVersion(path(pattern), workingCopyName, nextVersionName),
             full(result));
    QCOMPARE(workingCopyName, full(workingCopy));
    QCOMPARE(nextVersionName, full(nextVersion));
    QCOMPARE(dialogs.texts(), boxes);
    for (const BoxRequest& box : dialogs.shown())
        QCOMPARE(box.title, QStringLiteral("ERROR"));
}

void FileNamesTest::completesDcNameWithLongerPrefix_data() {
    QTest::addColumn<QStringList>("files");
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("expected");

    QTest::newRow("pattern matches")
        << QStringList{"Tool-PXU-DC-001.mdb", "Tool-X-PXU-DC-002.mdb"} << "Tool-PXU-DC-???.mdb"
        << "Tool-PXU-DC-???.mdb";
    QTest::newRow("longer prefix found")
        << QStringList{"Tool-X-PXU-DC-002.mdb"} << "Tool-PXU-DC-???.mdb"
        << "Tool-X-PXU-DC-???.mdb";
    QTest::newRow("nothing fits") << QStringList{"Other-PXU-DC-002.mdb"} << "Tool-PXU-DC-???.mdb"
                                  << "Tool-PXU-DC-???.mdb";
    QTest::newRow("folder with the word")
        << QStringList{"a-PXU/Tool-X-PXU-DC-002.mdb"} << "a-PXU/Tool-PXU-DC-???.mdb"
        << "a-PXU/Tool-X-PXU-DC-???.mdb";
    QTest::newRow("missing folder") << QStringList{} << "missing/Tool-PXU-DC-???.mdb"
                                    << "missing/Tool-PXU-DC-???.mdb";
}

void FileNamesTest::completesDcNameWithLongerPrefix() {
    QFETCH(QStringList, files);
    QFETCH(QString, name);
    QFETCH(QString, expected);
    for (const QString& file : files) {
        QVERIFY(QDir().mkpath(QFileInfo(path(file)).path()));
        touch(path(file));
    }
    QCOMPARE(g_getDcName(path(name)), path(expected));
}

void FileNamesTest::joinsAndSplitsNames_data() {
    QTest::addColumn<QString>("folder");
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("full");
    QTest::addColumn<QString>("path");

    QTest::newRow("joined with one separator") << "/a"
                                               << "b.txt"
                                               << "/a/b.txt"
                                               << "/a";
    QTest::newRow("folder ending in separator") << "/a/"
                                                << "b.txt"
                                                << "/a/b.txt"
                                                << "/a";
    QTest::newRow("root folder") << "/"
                                 << "b.txt"
                                 << "/b.txt"
                                 << "";
    QTest::newRow("empty folder stays relative") << ""
                                                 << "b.txt"
                                                 << "b.txt"
                                                 << "";
}

void FileNamesTest::joinsAndSplitsNames() {
    QFETCH(QString, folder);
    QFETCH(QString, name);
    QFETCH(QString, full);
    QFETCH(QString, path);
    QCOMPARE(g_fullName(folder, name), full);
    QCOMPARE(g_fileName(full), name);
    QCOMPARE(g_filePath(full), path);
    QCOMPARE(g_fileName(QStringLiteral("C:\\a\\b.txt")), QStringLiteral("b.txt"));
    QCOMPARE(g_filePath(QStringLiteral("C:\\a\\b.txt")), QStringLiteral("C:\\a"));
}

void FileNamesTest::checksExistenceAndWriteability_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<bool>("readOnly");
    QTest::addColumn<bool>("mustBeWriteable");
    QTest::addColumn<bool>("showMessages");
    QTest::addColumn<int>("answer");
    QTest::addColumn<int>("expected");
    QTest::addColumn<QString>("box");
    QTest::addColumn<bool>("writeableAfter");

    const QString question =
        QStringLiteral(" is read-only.\r\nIt must be writeable to execute the program!\r\n\r\n"
                       "Do you want to make it writeable?");
    const int none = 0;
    const int yes = int(BoxAnswer::Yes);
    const int no = int(BoxAnswer::No);
    QTest::newRow("writeable file")
        << "f.mdb" << false << true << true << none << int(checkFileOk) << "" << true;
    QTest::newRow("read-only not asked for")
        << "f.mdb" << true << false << true << none << int(checkFileOk) << "" << false;
    QTest::newRow("read-only declined")
        << "f.mdb" << true << true << true << no << int(checkFileDeclined) << question << false;
    QTest::newRow("read-only made writeable")
        << "f.mdb" << true << true << false << yes << int(checkFileOk) << question << true;
    QTest::newRow("missing file") << "missing.mdb" << false << true << true << none
                                  << int(checkFileNotFound) << "\r\nFile not found!" << false;
    QTest::newRow("missing file quietly")
        << "missing.mdb" << false << true << false << none << int(checkFileNotFound) << "" << false;
    QTest::newRow("folder instead of file")
        << "sub" << false << false << true << none << int(checkFileNotFound)
        << "\r\nFile not found!" << true;
    QTest::newRow("missing folder")
        << "nowhere/f.mdb" << false << false << true << none << int(checkFileInvalidPath)
        << "\r\nNo valid drive or path!" << false;
}

void FileNamesTest::checksExistenceAndWriteability() {
    QFETCH(QString, name);
    QFETCH(bool, readOnly);
    QFETCH(bool, mustBeWriteable);
    QFETCH(bool, showMessages);
    QFETCH(int, answer);
    QFETCH(int, expected);
    QFETCH(QString, box);
    QFETCH(bool, writeableAfter);
    const QString file = path(name);
    touch(path(QStringLiteral("f.mdb")));
    QVERIFY(QDir(m_dir->path()).mkdir(QStringLiteral("sub")));
    if (readOnly)
        QVERIFY(
            QFile::setPermissions(file, QFile::ReadOwner | QFile::ReadGroup | QFile::ReadOther));
    ScriptedDialogs dialogs;
    if (answer)
        dialogs.answer(BoxAnswer(answer));

    QCOMPARE(int(g_checkFile(file, mustBeWriteable, showMessages)), expected);
    QCOMPARE(dialogs.texts(), box.isEmpty() ? QStringList{} : QStringList{file + box});
    // Read-only is the mode bit: as root the file can be opened for writing regardless.
    if (QFileInfo(file).exists())
        QCOMPARE(bool(QFile::permissions(file) & QFile::WriteOwner), writeableAfter);
}

QTEST_GUILESS_MAIN(FileNamesTest)
#include "file_names_test.moc"
