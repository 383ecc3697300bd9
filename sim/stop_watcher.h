#pragma once

#include <QObject>
#include <QSocketNotifier>
#include <memory>

namespace pxu::sim {

// Tells when the program is asked to end: SIGTERM, SIGINT, or (when watched) the end of
// standard input, which is how a test's QProcess stops it by closing the write channel.
class StopWatcher : public QObject {
    Q_OBJECT
public:
    explicit StopWatcher(bool watchStdin, QObject* parent = nullptr);
    ~StopWatcher() override;

signals:
    void stopRequested(const QString& reason);

private:
    void onSignal();
    void onStdin();

    std::unique_ptr<QSocketNotifier> m_signalNotifier;
    std::unique_ptr<QSocketNotifier> m_stdinNotifier;
};

} // namespace pxu::sim
