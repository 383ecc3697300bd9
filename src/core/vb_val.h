#pragma once

#include <QString>
#include <optional>

namespace pxu {

// The number at the start of a text, read the way the original's Val read it: blanks are
// skipped, reading stops at the first character that cannot continue the number, "&H" and
// "&O" prefixes give hexadecimal and octal, no number gives 0.
double vbVal(const QString& text);

// A hexadecimal text with or without "&H" or "0x" and with surrounding blanks; nothing for
// an empty text or one with any other character.
std::optional<qint64> parseHexText(const QString& text);

} // namespace pxu
