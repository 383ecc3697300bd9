#include "field_rules.h"

#include "core/sprintf.h"
#include "dc_schema.h"
#include "number_text.h"
#include "platform/db/database.h"
#include "platform/text/number_text.h"

#include <QRegularExpression>
#include <QSqlQuery>

namespace pxu::dc {

FieldRule fieldRuleOf(const QString& declaredType) {
    // The type affinities of SQLite, in its order of tests.
    const QString type = declaredType.toUpper();
    if (type.contains(QLatin1String("INT")) || type.contains(QLatin1String("BIT")) ||
        type.contains(QLatin1String("BOOL")))
        return {FieldRule::Integer, 0};
    if (type.contains(QLatin1String("CHAR")) || type.contains(QLatin1String("CLOB")) ||
        type.contains(QLatin1String("TEXT"))) {
        static const QRegularExpression length(QStringLiteral(R"(\(\s*(\d+)\s*\))"));
        const auto m = length.match(type);
        return {FieldRule::Text, m.hasMatch() ? m.captured(1).toInt() : 0};
    }
    if (type.isEmpty() || type.contains(QLatin1String("BLOB")))
        return {FieldRule::Text, 0};
    return {FieldRule::Real, 0};
}

QHash<QString, FieldRule> fieldRules(db::Database& database, const QString& table) {
    QHash<QString, FieldRule> rules;
    QSqlQuery query(database.connection());
    if (!query.exec(QStringLiteral("PRAGMA table_info(%1)").arg(tableId(table))))
        return rules;
    while (query.next())
        rules.insert(query.value(1).toString().toLower(), fieldRuleOf(query.value(2).toString()));
    return rules;
}

CheckedValue checkField(const FieldRule& rule, const QVariant& value, const QString& caption) {
    if (rule.kind == FieldRule::Text) {
        const QString text = value.toString();
        if (rule.maxLength > 0 && text.size() > rule.maxLength)
            return {std::nullopt,
                    sprintf(QStringLiteral("\"{*}\" takes at most {*} characters; the text has {*}."
                                           "\r\nNothing was stored."),
                            caption, rule.maxLength, text.size())};
        return {text, {}};
    }
    const QString text =
        value.typeId() == QMetaType::Double ? numberText(value.toDouble()) : value.toString();
    if (rule.kind == FieldRule::Real) {
        if (const auto number = numberFromText(text))
            return {*number, {}};
        return {
            std::nullopt,
            sprintf(QStringLiteral("\"{*}\" takes numbers, not \"{*}\".\r\nNothing was stored."),
                    caption, text)};
    }
    if (const auto number = longFromText(text))
        return {*number, {}};
    return {std::nullopt,
            sprintf(QStringLiteral("\"{*}\" takes whole numbers from -2147483648 to 2147483647, "
                                   "not \"{*}\".\r\nNothing was stored."),
                    caption, text)};
}

} // namespace pxu::dc
