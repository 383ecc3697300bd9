#pragma once

#include "dc_fixture.h"

#include <QByteArray>
#include <QProcess>
#include <QString>
#include <QStringList>

namespace pxu::test {

// The sample plant's version on the program's schema with a manufacturer number
// ("M-BEFORE") that neither the helper's edits nor the signal list have: its bytes.
QByteArray sampleKillPlant();

// Version 001 of the plant with its headers, signal list and load files in the folder: what
// each job of the builder helper needs.
void preparePlant(const QString& folder, const QByteArray& plant);

// The builder helper (builder_kill_helper.cpp) in a child process on a plant folder, with
// the helper's arguments after the folder.
class BuilderProcess {
public:
    BuilderProcess(const QString& folder, const QStringList& arguments);
    ~BuilderProcess();
    BuilderProcess(const BuilderProcess&) = delete;
    BuilderProcess& operator=(const BuilderProcess&) = delete;

    // Reads its output until it stopped at its line or write (true), or ended.
    bool waitUntilStopped();
    // The database file it was stopped in after writing it; empty when it stopped at a line.
    QString written() const { return m_written; }
    // SIGKILL, and the end.
    void kill();
    // Stopped, it goes on.
    void goOn();
    // Waits for its end: true when it ended by itself with code 0.
    bool waitUntilEnded();
    qint64 pid() const { return m_child.processId(); }
    const QString& output() const { return m_output; }

private:
    QProcess m_child;
    QString m_output;
    QString m_written;
};

} // namespace pxu::test
