#include "qcanbus_transport.h"

#include "can_io_thread.h"
#include "can_result.h"
#include "qcanbus_link.h"

#include <QThread>

namespace pxu::can {

namespace {

// Runs work in the I/O thread and waits for it; directly when that thread is the caller's
// or has already stopped (at the application's end).
template <class F> void runInIoThread(F&& work) {
    QObject* anchor = canIoAnchor();
    if (!anchor || QThread::currentThread() == anchor->thread() || !anchor->thread()->isRunning()) {
        work();
        return;
    }
    QMetaObject::invokeMethod(anchor, std::forward<F>(work), Qt::BlockingQueuedConnection);
}

} // namespace

QCanBusTransport::QCanBusTransport(QString channelText)
    : m_channelText(std::move(channelText)) {}

QCanBusTransport::~QCanBusTransport() {
    close();
}

std::unique_ptr<CanTransport> QCanBusTransport::forBoard(int boardNumber) {
    return std::make_unique<QCanBusTransport>(canChannelTextForBoard(boardNumber));
}

qint32 QCanBusTransport::open(int bitRateKbit, Handlers handlers, QString* errorText) {
    close();
    QString why;
    qint32 code = result::kSuccess;
    CanChannel channel;
    if (!parseCanChannel(m_channelText, &channel)) {
        why = QStringLiteral("CAN channel \"%1\" is not of the form plugin:interface")
                  .arg(m_channelText);
        code = result::kParameterError;
    } else if (!canIoAnchor()) {
        why = QStringLiteral("CAN channel %1 needs a running application").arg(m_channelText);
        code = result::kInterfaceError;
    } else {
        QCanBusLink* link = nullptr;
        runInIoThread([&] {
            // Made in the I/O thread, so that the link and its timer belong to it.
            auto made = std::make_unique<QCanBusLink>();
            code = made->open(channel, bitRateKbit, std::move(handlers), &why, &m_serialNumber);
            if (code == result::kSuccess)
                link = made.release(); // deleted by close()
        });
        m_link = link;
    }
    if (code != result::kSuccess && errorText)
        *errorText = why;
    return code;
}

void QCanBusTransport::close() {
    QCanBusLink* link = m_link.exchange(nullptr);
    if (!link)
        return;
    runInIoThread([link] {
        link->close();
        delete link; // in its own thread, with nothing of it pending afterwards
    });
}

bool QCanBusTransport::send(const CanFrame& frame, WriteDone done) {
    QCanBusLink* link = m_link.load();
    if (!link)
        return false;
    QMetaObject::invokeMethod(
        link,
        [link, frame, done = std::move(done)]() mutable { link->write(frame, std::move(done)); },
        Qt::QueuedConnection);
    return true;
}

} // namespace pxu::can
