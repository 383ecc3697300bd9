#pragma once

class QObject;
class QThread;

namespace pxu::can {

// The thread in which every QCanBusDevice lives. One for the process, started on first use
// and stopped when the application object goes: a virtualcan hub that a device started
// lives in the thread that started it and must outlast the device.
// nullptr without a QCoreApplication.
QThread* canIoThread();
// An object living in that thread, to run work there.
QObject* canIoAnchor();

} // namespace pxu::can
