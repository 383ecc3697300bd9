#include "string_item.h"

namespace pxu::xlsx {

namespace {

// The texts of an item or of one of its runs; runs hold no further runs.
void collectTexts(QXmlStreamReader& reader, QString& text, bool inRun) {
    while (reader.readNextStartElement()) {
        if (reader.name() == QLatin1String("t"))
            text += reader.readElementText();
        else if (reader.name() == QLatin1String("r") && !inRun)
            collectTexts(reader, text, true);
        else
            reader.skipCurrentElement(); // run properties, phonetic hints
    }
}

bool isHexDigit(QChar c) {
    return (c >= u'0' && c <= u'9') || (c >= u'a' && c <= u'f') || (c >= u'A' && c <= u'F');
}

} // namespace

QString readStringItem(QXmlStreamReader& reader) {
    QString text;
    collectTexts(reader, text, false);
    return decodeEscapes(text);
}

QString decodeEscapes(const QString& text) {
    if (!text.contains(QLatin1String("_x")))
        return text;
    QString decoded;
    qsizetype i = 0;
    while (i < text.size()) {
        if (isEscapeAt(text, i)) {
            decoded += QChar(char16_t(text.mid(i + 2, 4).toUShort(nullptr, 16)));
            i += 7;
        } else {
            decoded += text[i++];
        }
    }
    return decoded;
}

bool isEscapeAt(QStringView text, qsizetype i) {
    return i + 7 <= text.size() && text[i] == u'_' && text[i + 1] == u'x' && text[i + 6] == u'_' &&
           isHexDigit(text[i + 2]) && isHexDigit(text[i + 3]) && isHexDigit(text[i + 4]) &&
           isHexDigit(text[i + 5]);
}

} // namespace pxu::xlsx
