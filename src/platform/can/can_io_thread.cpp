#include "can_io_thread.h"

#include <QCoreApplication>
#include <QMutex>
#include <QThread>

namespace pxu::can {

namespace {
QMutex g_mutex;
QThread* g_thread = nullptr;
QObject* g_anchor = nullptr;
bool g_stopped = false; // at the application's end: no new thread

void stopIoThread() {
    QMutexLocker lock(&g_mutex);
    g_stopped = true;
    if (!g_thread)
        return;
    g_thread->quit();
    g_thread->wait();
    delete g_anchor;
    g_anchor = nullptr;
    delete g_thread;
    g_thread = nullptr;
}
} // namespace

QThread* canIoThread() {
    QMutexLocker lock(&g_mutex);
    if (!g_thread) {
        if (g_stopped || !QCoreApplication::instance())
            return nullptr;
        // Both owned here and deleted by stopIoThread.
        g_thread = new QThread;
        g_thread->setObjectName(QStringLiteral("pxu CAN I/O"));
        g_anchor = new QObject;
        g_anchor->moveToThread(g_thread);
        g_thread->start();
        qAddPostRoutine(stopIoThread);
    }
    return g_thread;
}

QObject* canIoAnchor() {
    if (!canIoThread())
        return nullptr;
    QMutexLocker lock(&g_mutex);
    return g_anchor;
}

} // namespace pxu::can
