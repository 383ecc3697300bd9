#pragma once

#include <QHash>
#include <QString>
#include <QVariant>
#include <optional>

namespace pxu::db {
class Database;
}

// What a column of a table takes. SQLite keeps any value in any column; the original
// engine refused text in a number column and text longer than the column, and the rest of
// the program relies on that. The table editor checks its cells against these rules.
namespace pxu::dc {

struct FieldRule {
    enum Kind { Text, Integer, Real };
    Kind kind = Text;
    int maxLength = 0; // characters of a text column; 0: no limit
};

// The rule of a declared column type: "INTEGER", "REAL", "VARCHAR(50)", ...
FieldRule fieldRuleOf(const QString& declaredType);
// The rules of a table's columns by name (lower case).
QHash<QString, FieldRule> fieldRules(db::Database& database, const QString& table);

// A value to store, or the reason it is refused.
struct CheckedValue {
    std::optional<QVariant> value;
    QString refusal;
};
// Checks a value for a column (its caption names it in the refusal): a number column takes
// a number, an integer column a whole number of 32 bits (rounded as the engine rounded),
// a text column a text up to its length.
CheckedValue checkField(const FieldRule& rule, const QVariant& value, const QString& caption);

} // namespace pxu::dc
