#include "sql_script.h"

namespace pxu::db {

namespace {

bool isTrigger(const QString& statement) {
    const QString start = statement.simplified();
    return start.startsWith(QLatin1String("CREATE TRIGGER"), Qt::CaseInsensitive) ||
           start.startsWith(QLatin1String("CREATE TEMP TRIGGER"), Qt::CaseInsensitive);
}

} // namespace

QStringList splitSqlStatements(const QString& text) {
    QStringList result;
    QString current;
    bool inText = false;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        if (!inText && c == u'-' && i + 1 < text.size() && text[i + 1] == u'-') {
            while (i < text.size() && text[i] != u'\n')
                ++i;
            current += u'\n';
            continue;
        }
        if (c == u'\'')
            inText = !inText;
        // A trigger's body holds statements of its own, up to its END.
        const bool ends = !inText && c == u';' &&
                          (!isTrigger(current) ||
                           current.trimmed().endsWith(QLatin1String("END"), Qt::CaseInsensitive));
        if (!ends) {
            current += c;
            continue;
        }
        if (!current.trimmed().isEmpty())
            result << current.trimmed();
        current.clear();
    }
    if (!current.trimmed().isEmpty())
        result << current.trimmed();
    return result;
}

bool runSqlScript(Database& database, const QString& text, QString* failure) {
    for (const QString& statement : splitSqlStatements(text)) {
        if (!database.execute(statement)) {
            if (failure)
                *failure = database.lastError() + QStringLiteral("\nin: ") + statement;
            return false;
        }
    }
    return true;
}

} // namespace pxu::db
