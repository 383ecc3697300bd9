#include "cell_reference.h"

namespace pxu::xlsx {

int columnNumber(QStringView letters) {
    if (letters.isEmpty() || letters.size() > 3)
        return 0;
    int column = 0;
    for (QChar c : letters) {
        const char16_t upper = c.toUpper().unicode();
        if (upper < u'A' || upper > u'Z')
            return 0;
        column = column * 26 + (upper - u'A' + 1);
    }
    return column <= kMaxColumn ? column : 0;
}

QString columnLetters(int column) {
    if (column < 1 || column > kMaxColumn)
        return {};
    QString letters;
    for (; column > 0; column = (column - 1) / 26)
        letters.prepend(QChar(u'A' + (column - 1) % 26));
    return letters;
}

std::optional<CellPosition> parseCellReference(QStringView reference) {
    qsizetype split = 0;
    while (split < reference.size() && reference[split].isLetter())
        ++split;
    const QStringView digits = reference.mid(split);
    if (digits.isEmpty() || !digits[0].isDigit() || digits[0] == u'0')
        return std::nullopt;
    bool ok = false;
    const int row = digits.toInt(&ok);
    const int column = columnNumber(reference.first(split));
    if (!ok || row > kMaxRow || column == 0)
        return std::nullopt;
    return CellPosition{row, column};
}

QString cellReference(int row, int column) {
    return columnLetters(column) + QString::number(row);
}

} // namespace pxu::xlsx
