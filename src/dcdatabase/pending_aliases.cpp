#include "pending_aliases.h"

#include "core/config_items.h"
#include "core/globals.h"
#include "platform/db/criteria.h"

namespace pxu::dc {

namespace {

bool configurationHas(const QString& alias) {
    db::Recordset* rs = g_rsAliasSymbolName.get();
    return rs && rs->isOpen() && rs->findFirst(db::Criteria{{QStringLiteral("aliasName"), alias}});
}

} // namespace

void PendingAliases::add(const QString& alias, const QString& symbol) {
    if (!configurationHas(alias) && !symbolOf(alias))
        m_pairs.append({alias, symbol});
}

std::optional<QString> PendingAliases::symbolOf(const QString& alias) const {
    for (const auto& [a, symbol] : m_pairs) {
        if (db::sameText(a, alias))
            return symbol;
    }
    return std::nullopt;
}

void PendingAliases::writeToConfiguration() const {
    for (const auto& [alias, symbol] : m_pairs)
        g_setSymbolName(alias, symbol);
}

} // namespace pxu::dc
