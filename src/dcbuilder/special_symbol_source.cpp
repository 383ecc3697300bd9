#include "special_symbol_source.h"

#include "core/config_items.h"

namespace pxu::dc {

std::optional<QString> SpecialSymbolSource::text(const QString& alias) {
    // An empty text and a missing symbol read alike; the symbol's first row tells them apart.
    const QString symbol = g_getSymbolName(alias);
    if (symbol.isEmpty())
        return std::nullopt;
    const QVariant rows =
        m_job.scalar(QStringLiteral("SELECT count(*) FROM dcEnums WHERE name = ? COLLATE NOCASE"),
                     {symbol + QStringLiteral("1")});
    if (rows.toInt() == 0)
        return std::nullopt;
    return m_symbols.getString(alias);
}

std::optional<QString> SpecialSymbolSource::number(const QString& alias) {
    const QString value = m_symbols.getLong(alias, {});
    if (value.isEmpty())
        return std::nullopt;
    return value;
}

} // namespace pxu::dc
