#pragma once

#include <QString>
#include <QVariant>
#include <QVector>
#include <optional>

namespace pxu::db {

// One "field = value" term of a find criterion; terms are joined by AND.
struct Criterion {
    QString field;
    QVariant value; // a QString compares as text (case-insensitively), a number as number
};
using Criteria = QVector<Criterion>;

// Parses the criterion forms the program uses: field='text', field = 'text', field=number,
// [field]=..., joined by AND. A doubled quote inside a text stands for one quote.
// Returns nothing for any other form.
std::optional<Criteria> parseCriteria(const QString& text);

// Case-insensitive text equality, as the original engine compared.
bool sameText(const QString& a, const QString& b);

} // namespace pxu::db
