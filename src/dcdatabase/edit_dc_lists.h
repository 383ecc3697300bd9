#pragma once

#include <QString>
#include <QVector>

// The name tables and value lists of the table editor.
namespace pxu::dc {

// The CRC-group name at a list index (0 upward; the stored crcGroup is the index plus 1),
// by the application type; empty past the last group.
QString getCrcGroupName(int index);
// The code of a variable group (0 upward) by the application type, its long name through
// longName; both empty past the last group.
QString getVarGroup(int number, QString& longName);
// The text that follows a fupId prefix in the group list: ": CYL-General", ": Unknown".
QString fupIdGroupTitle(const QString& prefix);

// One entry of a grid's drop-down value list: the stored number and its text.
struct ValueListItem {
    int value;
    QString text;
};
using ValueList = QVector<ValueListItem>;
// The lists of the columns crcGroup, syncCmd and criterion.
const ValueList& crcGroupValues();
const ValueList& syncCmdValues();
const ValueList& criterionValues();
// The text of a stored value; the value itself when the list does not hold it.
QString valueListText(const ValueList& list, const QVariant& stored);

} // namespace pxu::dc
