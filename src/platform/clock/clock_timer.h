#pragma once

#include <QObject>
#include <QTimer>

namespace pxu {

// A window-thread timer on the program's clock: a QTimer on the real clock (its interval
// scaled), driven by the test on a VirtualClock. Bound to the clock installed at start().
class ClockTimer : public QObject {
    Q_OBJECT
public:
    explicit ClockTimer(QObject* parent = nullptr);
    ~ClockTimer() override;

    void setInterval(int ms) { m_intervalMs = ms; }
    int interval() const { return m_intervalMs; }
    void setSingleShot(bool singleShot) { m_singleShot = singleShot; }
    bool isSingleShot() const { return m_singleShot; }
    bool isActive() const { return m_active; }

    void start();
    void start(int ms);
    void stop();
    // Enabled in the sense of the original's timer control.
    void setEnabled(bool on) {
        if (!on)
            stop();
        else if (!m_active)
            start();
    }

signals:
    void timeout();

private:
    friend class VirtualClock;
    void fire();

    QTimer m_qtimer;
    int m_intervalMs = 0;
    bool m_singleShot = false;
    bool m_active = false;
    class VirtualClock* m_virtual = nullptr;
};

} // namespace pxu
