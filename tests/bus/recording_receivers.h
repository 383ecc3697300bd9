#pragma once

#include "bus/bus_hooks.h"

#include <QList>

namespace pxu::test {

// Records what reaches the system-information receivers; registered for its lifetime.
class RecordingReceivers : public SystemInfoReceivers {
public:
    struct Call {
        QString receiver;
        QByteArray value;
        qint32 id;
    };
    RecordingReceivers() { setSystemInfoReceivers(this); }
    ~RecordingReceivers() override { setSystemInfoReceivers(nullptr); }

    void g_setFirstApplicationCrc(const QByteArray& v, qint32 id) override {
        record("g_setFirstApplicationCrc", v, id);
    }
    void g_setNoOfCyl(const QByteArray& v, qint32 id) override { record("g_setNoOfCyl", v, id); }
    void g_setDeveloper(const QByteArray& v, qint32 id) override {
        record("g_setDeveloper", v, id);
    }
    void g_setBuild(const QByteArray& v, qint32 id) override { record("g_setBuild", v, id); }
    void g_setHullNumber(const QByteArray& v, qint32 id) override {
        record("g_setHullNumber", v, id);
    }
    void g_setEngineType(const QByteArray& v, qint32 id) override {
        record("g_setEngineType", v, id);
    }
    void g_setAutoDownload(const QByteArray& v, qint32 id) override {
        record("g_setAutoDownload", v, id);
    }
    void g_setCrcValueImo(const QByteArray& v, qint32 id) override {
        record("g_setCrcValueImo", v, id);
    }
    void g_setCrcLenImo(const QByteArray& v, qint32 id) override {
        record("g_setCrcLenImo", v, id);
    }
    void g_setCrcValueApplication(const QByteArray& v, qint32 id) override {
        record("g_setCrcValueApplication", v, id);
    }
    void g_setCrcLenApplication(const QByteArray& v, qint32 id) override {
        record("g_setCrcLenApplication", v, id);
    }

    QList<Call> calls;

private:
    void record(const char* receiver, const QByteArray& v, qint32 id) {
        calls << Call{QLatin1String(receiver), v, id};
    }
};

} // namespace pxu::test
