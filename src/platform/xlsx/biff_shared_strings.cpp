#include "biff_shared_strings.h"

namespace pxu::xlsx {

std::optional<QStringList> readSharedStrings(BiffContinuedData data) {
    // The number of the cells that name a text, then the number of the texts.
    const std::optional<quint32> count = data.skip(4) ? data.u32() : std::nullopt;
    if (!count)
        return std::nullopt;
    QStringList texts;
    // A list that says it holds more than it does ends with its last text; a cell that names
    // one beyond is damaged.
    while (quint32(texts.size()) < *count && !data.atEnd()) {
        std::optional<QString> text =
            data.text(BiffContinuedData::Length::Word, BiffContinuedData::Extras::RunsAndPhonetics);
        if (!text)
            return std::nullopt;
        texts.append(std::move(*text));
    }
    return texts;
}

} // namespace pxu::xlsx
