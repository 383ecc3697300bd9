#include "header_symbols.h"

namespace pxu::dc {

const script::CMacro* HeaderSymbols::macro(std::string_view name) const {
    const auto it = m_macros.find(name);
    return it == m_macros.end() ? nullptr : it->second.macro.get();
}

const script::CInt* HeaderSymbols::constant(std::string_view name) const {
    const auto it = m_constants.find(name);
    return it == m_constants.end() ? nullptr : &it->second.value;
}

void HeaderSymbols::unknown(std::string_view name) {
    if (m_unknown)
        m_unknown(QString::fromLatin1(name.data(), qsizetype(name.size())));
}

std::optional<HeaderSymbols::Where> HeaderSymbols::macroWhere(std::string_view name) const {
    const auto it = m_macros.find(name);
    return it == m_macros.end() ? std::nullopt : std::optional(it->second.where);
}

std::optional<HeaderSymbols::Where> HeaderSymbols::constantWhere(std::string_view name) const {
    const auto it = m_constants.find(name);
    return it == m_constants.end() ? std::nullopt : std::optional(it->second.where);
}

script::CMacro& HeaderSymbols::define(std::string_view name, std::string_view value, int line) {
    if (m_constants.find(name) != m_constants.end())
        changed(); // the member's name now stands for the macro's value
    Macro& entry = m_macros[std::pmr::string(name, &m_arena)];
    entry.macro = std::make_unique<script::CMacro>(value);
    entry.where = {m_file, line};
    made(*entry.macro);
    return *entry.macro;
}

void HeaderSymbols::undefine(std::string_view name) {
    if (const auto it = m_macros.find(name); it != m_macros.end()) {
        m_macros.erase(it);
        changed();
    }
}

void HeaderSymbols::addConstant(std::string_view name, const script::CInt& value, int line) {
    m_constants[std::pmr::string(name, &m_arena)] = {value, {m_file, line}};
}

} // namespace pxu::dc
