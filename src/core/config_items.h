#pragma once

#include <QDateTime>
#include <QString>
#include <QVariant>

namespace pxu {

// Opens the three configuration record sets and loads the program-wide settings from them.
// Stops at the first record set that cannot be opened (its box names database and query)
// and returns False, so start-up can end with one message. An empty table opens.
bool g_iniGlobals();

// The value of a miscellaneous item, or the default as text. With asBoolean the text is
// "-1" when it equals "yes" in any letter case, else "0".
QString g_getMiscItem(const QString& item, const QVariant& defaultValue = {},
                      bool asBoolean = false);
// The item of the first row whose value equals the text, or the default.
QString g_getMiscItemRev(const QString& value, const QVariant& defaultValue = {});
// Changes the value of an existing item; a missing item is neither added nor reported.
// A store the database refuses goes to the error reporter and changes nothing.
void g_setMiscItem(const QString& item, const QString& value);

// A hexadecimal item ("&H", "0x" or bare digits). Anything else, or a missing item, gives
// the default; a value that does not parse is told once per item.
qint64 hexMiscItem(const QString& item, qint64 defaultValue);

QString g_getSymbolName(const QString& alias);
bool g_setSymbolName(const QString& alias, const QString& symbol);

QString g_getUserMessage(qint32 messageId);
// A message's okButton flag (false when the message is missing).
bool userMessageOkButton(qint32 messageId);

// The zero date of the original's date type, given for files that cannot be found.
QDateTime zeroDate();
QDateTime g_getFileDate(const QString& fileName);

// Closes the configuration record sets (shut-down and tests).
void closeConfigRecordsets();

} // namespace pxu
