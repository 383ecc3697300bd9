#pragma once

#include "platform/script/c_expression.h"

#include <QString>
#include <functional>
#include <memory>
#include <memory_resource>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>

namespace pxu::dc {

// The names a header scan knows while it reads, file after file: the macros and the
// enumeration members read so far, each with where it was read. Names are told apart by
// their letter case, as C tells them.
class HeaderSymbols : public script::CNames {
public:
    struct Where {
        QString file;
        int line = 0;
        QString text() const { return QStringLiteral("%1, line %2").arg(file).arg(line); }
    };

    // The file now read: where the names read from now on are.
    void setFile(const QString& file) { m_file = file; }
    // Told of each name an expression does not know.
    void setUnknownNameHandler(std::function<void(const QString&)> handler) {
        m_unknown = std::move(handler);
    }

    const script::CMacro* macro(std::string_view name) const override;
    const script::CInt* constant(std::string_view name) const override;
    void unknown(std::string_view name) override;

    // Where a macro or a member of that name was read; nothing when none was.
    std::optional<Where> macroWhere(std::string_view name) const;
    std::optional<Where> constantWhere(std::string_view name) const;

    // A macro made from its value as written, in its lasting place.
    script::CMacro& define(std::string_view name, std::string_view value, int line);
    void undefine(std::string_view name);
    void addConstant(std::string_view name, const script::CInt& value, int line);

private:
    struct Hash {
        using is_transparent = void;
        size_t operator()(std::string_view s) const { return std::hash<std::string_view>()(s); }
    };
    struct Macro {
        std::unique_ptr<script::CMacro> macro;
        Where where;
    };
    struct Constant {
        script::CInt value;
        Where where;
    };

    // A scan's names live as long as the scan: taken from one arena, given back at once.
    std::pmr::monotonic_buffer_resource m_arena;
    std::pmr::unordered_map<std::pmr::string, Macro, Hash, std::equal_to<>> m_macros{&m_arena};
    std::pmr::unordered_map<std::pmr::string, Constant, Hash, std::equal_to<>> m_constants{
        &m_arena};
    QString m_file;
    std::function<void(const QString&)> m_unknown;
};

} // namespace pxu::dc
