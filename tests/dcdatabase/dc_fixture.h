#pragma once

#include "dcdatabase/message_sink.h"

#include <QByteArray>
#include <QMap>
#include <QStringList>
#include <QTemporaryDir>
#include <QVariant>

namespace pxu::test {

// A folder of its own with the sample configuration loaded (its symbol aliases), where
// tests make data-container databases from SQL text.
class DcFixture {
public:
    DcFixture();
    ~DcFixture();
    DcFixture(const DcFixture&) = delete;
    DcFixture& operator=(const DcFixture&) = delete;

    QString folder() const { return m_dir.path(); }
    QString path(const QString& name) const;
    // A copy of the sample plant's database (schema "0.0.0"), changed by the statements.
    QString samplePlant(const QString& name, const QString& sql = {});
    // A database made from the statements alone.
    QString database(const QString& name, const QString& sql);
    // The sample plant's name for version n in this folder: "DORN Update Tool-PXU-DC-00n.mdb".
    static QString versionName(int n);

private:
    QTemporaryDir m_dir;
};

// Checks on a database file, each through a connection of its own.
void execute(const QString& database, const QString& sql, const QVariantList& values = {});
QVariant queryValue(const QString& database, const QString& sql, const QVariantList& values = {});
QVariantList queryColumn(const QString& database, const QString& sql,
                         const QVariantList& values = {});
// The text of a special symbol, read as the builder reads it; "<failure>" when the job fails.
QString specialText(const QString& database, QLatin1String alias);
// Every row of every table as text, to compare whole databases.
QString dumpDatabase(const QString& database);
// Overwrites a file with random bytes from a fraction of its length on (0: all of it), as a
// damaged disk or a stray program would.
void scrambleFile(const QString& file, double from = 0);
// The files of a folder with a digest of each.
QMap<QString, QByteArray> folderState(const QString& folder);

// A message sink that keeps what it is given.
class RecordingSink : public dc::MessageSink {
public:
    void addMessage(const QString& text) override { lines << text; }
    void updateProgress(double value, bool relative) override {
        progress = relative ? progress + value : value;
    }
    QStringList lines;
    double progress = 0;
};

} // namespace pxu::test
