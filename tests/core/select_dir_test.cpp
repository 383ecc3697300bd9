#include "core/select_dir.h"
#include "support/scripted_dialogs.h"

#include <QDir>
#include <QTemporaryDir>
#include <QtTest>

using namespace pxu;

class SelectDirTest : public QObject {
    Q_OBJECT
private slots:
    void startsInInitialFolderOrCurrentOne_data();
    void startsInInitialFolderOrCurrentOne();
    void okGivesOneAndTheChosenFolder();
    void cancelGivesTwoAndKeepsTheLastChoice();
};

void SelectDirTest::startsInInitialFolderOrCurrentOne_data() {
    QTest::addColumn<QString>("initial");
    QTest::addColumn<bool>("usable");
    QTest::newRow("existing folder") << QDir::tempPath() << true;
    QTest::newRow("empty") << QString() << false;
    QTest::newRow("missing folder") << QStringLiteral("/no/such/folder") << false;
    QTest::newRow("a file") << QStringLiteral(__FILE__) << false;
}

void SelectDirTest::startsInInitialFolderOrCurrentOne() {
    QFETCH(QString, initial);
    QFETCH(bool, usable);
    test::ScriptedDialogs dialogs;
    frmSelectDir chooser;
    chooser.g_initialDir = initial;
    chooser.showSelect();
    QCOMPARE(dialogs.folderRequests().size(), 1);
    QCOMPARE(dialogs.folderRequests().constFirst().caption, QStringLiteral("Select Directory"));
    QCOMPARE(dialogs.folderRequests().constFirst().startDir,
             usable ? initial : QDir::currentPath());
    QVERIFY(dialogs.shown().isEmpty()); // an unusable start folder is not told
}

void SelectDirTest::okGivesOneAndTheChosenFolder() {
    test::ScriptedDialogs dialogs;
    QTemporaryDir chosen;
    dialogs.answerFolder(chosen.path());
    frmSelectDir chooser;
    chooser.g_initialDir = QDir::tempPath();
    QCOMPARE(chooser.showSelect(), 1);
    QCOMPARE(chooser.g_selectedDir, chosen.path());
}

void SelectDirTest::cancelGivesTwoAndKeepsTheLastChoice() {
    test::ScriptedDialogs dialogs;
    frmSelectDir chooser;
    chooser.g_selectedDir = QStringLiteral("/previous");
    dialogs.answerFolder(std::nullopt);
    QCOMPARE(chooser.showSelect(), 2);
    QCOMPARE(chooser.g_selectedDir, QStringLiteral("/previous"));
}

QTEST_MAIN(SelectDirTest)
#include "select_dir_test.moc"
