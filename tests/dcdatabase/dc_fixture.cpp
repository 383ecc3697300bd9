#include "dc_fixture.h"

#include "core/config_items.h"
#include "core/globals.h"
#include "dcdatabase/special_symbols.h"
#include "platform/db/recordset.h"
#include "platform/db/sql_script.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QRandomGenerator>
#include <QtTest>

namespace pxu::test {

DcFixture::DcFixture() {
    closeConfigRecordsets();
    g_configDbPath = path(QStringLiteral("DORN Update Tool-Config.mdb"));
    QVERIFY(QFile::copy(QStringLiteral(PXU_CONFIG_DB), g_configDbPath));
    QFile::setPermissions(g_configDbPath, QFile::ReadOwner | QFile::WriteOwner);
    g_projectName = g_toolName;
    QVERIFY(g_iniGlobals());
}

DcFixture::~DcFixture() {
    closeConfigRecordsets();
    g_configDbPath.clear();
    g_projectName.clear();
}

QString DcFixture::path(const QString& name) const {
    return QDir(m_dir.path()).filePath(name);
}

QString DcFixture::versionName(int n) {
    return QStringLiteral("DORN Update Tool-PXU-DC-%1.mdb").arg(n, 3, 10, QLatin1Char('0'));
}

QString DcFixture::samplePlant(const QString& name, const QString& sql) {
    const QString file = path(name);
    QDir().mkpath(QFileInfo(file).path());
    QFile::remove(file);
    if (!QFile::copy(QStringLiteral(PXU_SAMPLE_PLANT_DB), file))
        qFatal("cannot copy the sample plant");
    QFile::setPermissions(file, QFile::ReadOwner | QFile::WriteOwner);
    if (!sql.isEmpty()) {
        db::Database d;
        QString failure;
        if (!d.open(file) || !db::runSqlScript(d, sql, &failure))
            qFatal("%s", qPrintable(failure));
    }
    return file;
}

QString DcFixture::database(const QString& name, const QString& sql) {
    const QString file = path(name);
    QFile::remove(file);
    db::Database d;
    QString failure;
    if (!d.create(file) || !db::runSqlScript(d, sql, &failure))
        qFatal("%s", qPrintable(failure));
    return file;
}

void scrambleFile(const QString& file, double from) {
    QFile f(file);
    QVERIFY(f.open(QIODevice::ReadWrite));
    const qint64 offset = qint64(double(f.size()) * from);
    QRandomGenerator random(26);
    QByteArray bytes(f.size() - offset, '\0');
    for (char& byte : bytes)
        byte = char(random.bounded(256));
    QVERIFY(f.seek(offset));
    QCOMPARE(f.write(bytes), bytes.size());
}

void execute(const QString& database, const QString& sql, const QVariantList& values) {
    db::Database d;
    QVERIFY2(d.open(database), qPrintable(d.lastError()));
    QVERIFY2(d.execute(sql, values), qPrintable(d.lastError()));
}

QVariantList queryColumn(const QString& database, const QString& sql, const QVariantList& values) {
    auto d = std::make_shared<db::Database>();
    if (!d->open(database, true))
        return {QStringLiteral("<%1>").arg(d->lastError())};
    db::Recordset rs;
    if (!rs.open(d, sql, values))
        return {QStringLiteral("<%1>").arg(rs.lastError())};
    QVariantList column;
    for (rs.moveFirst(); !rs.eof(); rs.moveNext())
        column << rs.value(0);
    return column;
}

QVariant queryValue(const QString& database, const QString& sql, const QVariantList& values) {
    const QVariantList column = queryColumn(database, sql, values);
    return column.isEmpty() ? QVariant() : column.constFirst();
}

QString specialText(const QString& database, QLatin1String alias) {
    QString text;
    RecordingSink sink;
    if (const auto failure = dc::DcJob::run(database, [&](dc::DcJob& job) {
            text = dc::SpecialSymbols(job, sink).getString(alias);
        }))
        return QStringLiteral("<%1>").arg(*failure);
    return text;
}

QString dumpDatabase(const QString& database) {
    QString dump;
    const QVariantList tables = queryColumn(
        database,
        QStringLiteral("SELECT sql FROM sqlite_master WHERE type = 'table' ORDER BY name"));
    for (const QVariant& create : tables)
        dump += create.toString() + u'\n';
    for (const QVariant& table :
         queryColumn(database, QStringLiteral("SELECT name FROM sqlite_master WHERE type = "
                                              "'table' ORDER BY name"))) {
        auto d = std::make_shared<db::Database>();
        d->open(database, true);
        db::Recordset rs;
        rs.open(d, QStringLiteral("SELECT * FROM \"%1\"").arg(table.toString()));
        for (rs.moveFirst(); !rs.eof(); rs.moveNext()) {
            QStringList cells;
            for (int i = 0; i < rs.fieldCount(); ++i)
                cells << (rs.value(i).isNull() ? QStringLiteral("NULL") : rs.text(i));
            dump += table.toString() + u':' + cells.join(u'|') + u'\n';
        }
    }
    return dump;
}

QMap<QString, QByteArray> folderState(const QString& folder) {
    QMap<QString, QByteArray> state;
    const QDir dir(folder);
    for (const QString& name : dir.entryList(QDir::Files)) {
        QFile f(dir.filePath(name));
        f.open(QIODevice::ReadOnly);
        state[name] = QCryptographicHash::hash(f.readAll(), QCryptographicHash::Md5).toHex();
    }
    return state;
}

} // namespace pxu::test
