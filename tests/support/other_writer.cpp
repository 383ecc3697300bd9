#include "other_writer.h"

#include <QFile>

namespace pxu::test {

OtherWriter::OtherWriter(const QString& database, const QString& sql, Stage stage) {
    const QString begin = stage == Stage::writingTheFile ? QStringLiteral("BEGIN EXCLUSIVE")
                                                         : QStringLiteral("BEGIN IMMEDIATE");
    if (!m_db.open(database) || !m_db.execute(begin) || !m_db.execute(sql))
        qFatal("the other writer cannot begin: %s", qPrintable(m_db.lastError()));
    if (!QFile::exists(database + QStringLiteral("-journal")))
        qFatal("the other writer has no journal");
}

OtherWriter::~OtherWriter() {
    m_db.execute(QStringLiteral("ROLLBACK"));
}

} // namespace pxu::test
