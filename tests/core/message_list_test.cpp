#include "core/message_list.h"
#include "core/message_list_view.h"
#include "support/newest_line.h"
#include "support/virtual_time.h"

#include <QScrollBar>
#include <QtTest>

using namespace pxu;

namespace {

constexpr int kIntervalMs = RefreshThrottle::kIntervalMs;

// A list and its view, shown.
struct ShownList {
    ShownList() {
        view.resize(500, 300);
        view.show();
    }
    void add(const QString& line) {
        QString text = line;
        messages.addMessage(text);
    }
    bool showsNewestLine() const { return test::showsNewestLine(view); }
    MessageList messages;
    MessageListView view{messages};
};

} // namespace

class MessageListTest : public QObject {
    Q_OBJECT
private slots:
    void newestOfAHundredThousandLinesStaysCurrent();
    void linesOfABusyCallerShowWhenItLetsEventsRun();
    void linesBetweenPassesOfEventsShowAfterTheInterval();
    void progressShowsTheLinesThatWait();
    void everyLineCanBeReadWhole_data();
    void everyLineCanBeReadWhole();
    void clicksAndKeysMoveThroughTheLines();
};

void MessageListTest::newestOfAHundredThousandLinesStaysCurrent() {
    test::VirtualTime time;
    ShownList list;
    for (int i = 0; i < 100000; ++i) {
        // A job that logs a line every microsecond, as the header scan does.
        time.advanceUs(1);
        list.add(QStringLiteral("         VAR: GEN_VAR_%1 (%2)").arg(i).arg(1000000 + i));
        if (i % 5000 == 4999) {
            time.advanceUs(kIntervalMs * 1000);
            list.add(QStringLiteral("   after a pause"));
            QVERIFY2(list.showsNewestLine(), qPrintable(QString::number(i)));
        }
    }
    // The job's last line shows at the next pass of the window's events.
    list.add(QStringLiteral("---- the end"));
    QVERIFY(!list.showsNewestLine());
    QCoreApplication::processEvents();
    QVERIFY(list.showsNewestLine());
    QCOMPARE(list.view.model()->rowCount(), 100000 + 20 + 1);
    QCOMPARE(list.view.verticalScrollBar()->value(), list.view.verticalScrollBar()->maximum());
    QCOMPARE(list.view.currentIndex().data().toString(), QStringLiteral("---- the end"));
}

void MessageListTest::linesOfABusyCallerShowWhenItLetsEventsRun() {
    test::VirtualTime time;
    ShownList list;
    list.add(QStringLiteral("first")); // nothing shown for long: at once
    QVERIFY(list.showsNewestLine());
    list.add(QStringLiteral("second\rthird"));
    QCOMPARE(list.view.model()->rowCount(), 1);
    QCoreApplication::processEvents();
    QVERIFY(list.showsNewestLine());
    QCOMPARE(list.view.model()->rowCount(), 3);
}

void MessageListTest::linesBetweenPassesOfEventsShowAfterTheInterval() {
    test::VirtualTime time;
    ShownList list;
    list.add(QStringLiteral("first"));
    list.add(QStringLiteral("second"));
    QCoreApplication::processEvents(); // shows "second"
    // Lines that come one per pass of the events paint no more often than the interval.
    time.advanceUs(1000);
    list.add(QStringLiteral("third"));
    QCoreApplication::processEvents();
    QVERIFY(!list.showsNewestLine());
    time.runFor(kIntervalMs - 2);
    QVERIFY(!list.showsNewestLine());
    time.runFor(1);
    QVERIFY(list.showsNewestLine());
}

void MessageListTest::progressShowsTheLinesThatWait() {
    test::VirtualTime time;
    ShownList list;
    list.add(QStringLiteral("first"));
    list.add(QStringLiteral("   a step that takes long"));
    list.messages.showWaitingLines();
    QVERIFY(!list.showsNewestLine());
    time.advanceUs(kIntervalMs * 1000);
    list.messages.showWaitingLines(); // as the job reports its progress
    QVERIFY(list.showsNewestLine());
}

void MessageListTest::everyLineCanBeReadWhole_data() {
    QTest::addColumn<QString>("family");
    QTest::newRow("fixed pitch") << "DejaVu Sans Mono";
    QTest::newRow("proportional") << "DejaVu Sans";
}

void MessageListTest::everyLineCanBeReadWhole() {
    QFETCH(QString, family);
    ShownList list;
    list.view.setFont(QFont(family));
    const QString longest =
        QStringLiteral("Working copy DORN Update Tool-PXU-DC-temp.md of an earlier session kept "
                       "as DORN Update Tool-PXU-DC-temp-leftover-20260105-080000.md");
    for (const QString& line : {QStringLiteral("SCAN HEADER FILES"), longest,
                                QStringLiteral("   WWWWWWWWWW"), QStringLiteral("   iiiiiiiiii")})
        list.add(line);
    QCoreApplication::processEvents();
    const int needed = QFontMetrics(list.view.font()).horizontalAdvance(longest);
    QScrollBar* across = list.view.horizontalScrollBar();
    QVERIFY(across->maximum() > 0);
    QVERIFY(across->maximum() + list.view.viewport()->width() >= needed);
    QVERIFY(list.view.visualRect(list.view.model()->index(1, 0)).width() >= needed);
    // All rows alike: as high as a list's text rows in this style, one after the other.
    const int height = list.view.visualRect(list.view.model()->index(0, 0)).height();
    QVERIFY(height >= QFontMetrics(list.view.font()).height());
    for (int row = 1; row < 4; ++row)
        QCOMPARE(list.view.visualRect(list.view.model()->index(row, 0)).top(),
                 list.view.visualRect(list.view.model()->index(0, 0)).top() + row * height);
    // Scrolled to its end, the longest line's end is in sight.
    across->setValue(across->maximum());
    const QRect row = list.view.visualRect(list.view.model()->index(1, 0));
    QVERIFY(row.left() + needed <= list.view.viewport()->width());
}

void MessageListTest::clicksAndKeysMoveThroughTheLines() {
    ShownList list;
    for (int i = 0; i < 40; ++i)
        list.add(QStringLiteral("line %1").arg(i));
    list.add(QStringLiteral("   a line longer than the list is wide: ") + QString(120, u'x'));
    QCoreApplication::processEvents();
    QVERIFY(list.showsNewestLine());
    list.view.setFocus();
    QTest::keyClick(&list.view, Qt::Key_Home, Qt::ControlModifier);
    QCOMPARE(list.view.currentIndex().row(), 0);
    QCOMPARE(list.view.verticalScrollBar()->value(), 0);
    const QRect third = list.view.visualRect(list.view.model()->index(2, 0));
    QTest::mouseClick(list.view.viewport(), Qt::LeftButton, {}, third.center());
    QCOMPARE(list.view.currentIndex().row(), 2);
    QCOMPARE(list.view.selectionModel()->selectedRows(),
             QModelIndexList{list.view.model()->index(2, 0)});
    QTest::keyClick(&list.view, Qt::Key_Down);
    QCOMPARE(list.view.currentIndex().row(), 3);
    // Right and Left scroll sideways, the current line stays.
    QScrollBar* across = list.view.horizontalScrollBar();
    QTest::keyClick(&list.view, Qt::Key_Right);
    QVERIFY(across->value() > 0);
    QTest::keyClick(&list.view, Qt::Key_Left);
    QCOMPARE(across->value(), 0);
    QCOMPARE(list.view.currentIndex().row(), 3);
    QTest::keyClick(&list.view, Qt::Key_End);
    QVERIFY(list.showsNewestLine());
}

QTEST_MAIN(MessageListTest)
#include "message_list_test.moc"
