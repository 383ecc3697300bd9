#include "platform/clock/clock_timer.h"
#include "platform/clock/real_clock.h"
#include "support/virtual_time.h"

#include <QThread>
#include <QtTest>
#include <atomic>

using namespace pxu;

class ClockTest : public QObject {
    Q_OBJECT
private slots:
    void sleepRunsBackgroundTasksButNoTimers();
    void doEventsFiresOnlyDueTimers();
    void runForFiresPeriodicTimerOncePerInterval();
    void timerHandlerPassingEventsIsNotEnteredAgain();
    void waitUntilStopsAtPredicateOrDeadline();
    void cancelledTaskNeverRuns();
    void waitWithEventsIsShortSleepsAndEventPasses();
    void realClockWaitUntilWakesOnNotifyFromAnotherThread();
    void realClockScaleComesFromEnvironment();
};

void ClockTest::sleepRunsBackgroundTasksButNoTimers() {
    test::VirtualTime time;
    QStringList order;
    time.callAfter(3000, [&] { order << QStringLiteral("task@3"); });
    ClockTimer timer;
    int ticks = 0;
    connect(&timer, &ClockTimer::timeout, [&] { ++ticks; });
    timer.start(2);
    time.sleep(10);
    QCOMPARE(order, QStringList{QStringLiteral("task@3")});
    QCOMPARE(ticks, 0);
    QCOMPARE(time.nowMs(), 10);
}

void ClockTest::doEventsFiresOnlyDueTimers() {
    test::VirtualTime time;
    ClockTimer fast, slow;
    int fastTicks = 0, slowTicks = 0;
    connect(&fast, &ClockTimer::timeout, [&] { ++fastTicks; });
    connect(&slow, &ClockTimer::timeout, [&] { ++slowTicks; });
    fast.start(100);
    slow.start(500);
    time.sleep(1000); // a long hold fires each due timer once, as window timers coalesce
    time.doEvents();
    QCOMPARE(fastTicks, 1);
    QCOMPARE(slowTicks, 1);
}

void ClockTest::runForFiresPeriodicTimerOncePerInterval() {
    test::VirtualTime time;
    ClockTimer timer;
    QList<qint64> at;
    connect(&timer, &ClockTimer::timeout, [&] { at << time.nowMs(); });
    timer.start(200);
    time.runFor(1000);
    QCOMPARE(at, (QList<qint64>{200, 400, 600, 800, 1000}));
    timer.stop();
    time.runFor(1000);
    QCOMPARE(at.size(), 5);
}

void ClockTest::timerHandlerPassingEventsIsNotEnteredAgain() {
    test::VirtualTime time;
    ClockTimer outer, inner;
    int depth = 0, maxDepth = 0, innerTicks = 0;
    connect(&inner, &ClockTimer::timeout, [&] { ++innerTicks; });
    connect(&outer, &ClockTimer::timeout, [&] {
        maxDepth = std::max(maxDepth, ++depth);
        waitWithEvents(2000, 10); // a long job inside one tick
        --depth;
    });
    outer.start(500);
    inner.start(200);
    time.runFor(600);
    QCOMPARE(maxDepth, 1);
    QVERIFY(innerTicks >= 10); // other timers keep running during the job
}

void ClockTest::waitUntilStopsAtPredicateOrDeadline() {
    test::VirtualTime time;
    bool answered = false;
    time.callAfter(40'000, [&] { answered = true; });
    QVERIFY(time.waitUntil([&] { return answered; }, 200));
    QCOMPARE(time.nowMs(), 40);
    QVERIFY(!time.waitUntil([] { return false; }, 200));
    QCOMPARE(time.nowMs(), 240);
}

void ClockTest::cancelledTaskNeverRuns() {
    test::VirtualTime time;
    bool ran = false;
    const auto id = time.callAfter(1000, [&] { ran = true; });
    time.cancel(id);
    time.cancel(id);
    time.sleep(5);
    QVERIFY(!ran);
}

void ClockTest::waitWithEventsIsShortSleepsAndEventPasses() {
    test::VirtualTime time;
    ClockTimer timer;
    int ticks = 0;
    connect(&timer, &ClockTimer::timeout, [&] { ++ticks; });
    timer.start(200);
    waitWithEvents(601 * 5, 5);
    QCOMPARE(time.nowMs(), 3005);
    QCOMPARE(ticks, 15);
}

void ClockTest::realClockWaitUntilWakesOnNotifyFromAnotherThread() {
    RealClock real(1.0);
    std::atomic<bool> flag{false};
    QThread* other = QThread::create([&] {
        QThread::msleep(20);
        flag = true;
        real.notify();
    });
    other->start();
    QVERIFY(real.waitUntil([&] { return flag.load(); }, 60'000));
    other->wait();
    delete other;
}

void ClockTest::realClockScaleComesFromEnvironment() {
    qputenv("PXU_TIME_SCALE", "0.05");
    QCOMPARE(RealClock::scaleFromEnvironment(), 0.05);
    qputenv("PXU_TIME_SCALE", "garbage");
    QCOMPARE(RealClock::scaleFromEnvironment(), 1.0);
    qunsetenv("PXU_TIME_SCALE");
    QCOMPARE(RealClock().realMs(200), 200.0);
    QCOMPARE(RealClock(0.1).realMs(200), 20.0);
}

QTEST_GUILESS_MAIN(ClockTest)
#include "clock_test.moc"
