#pragma once

#include "dcdatabase/dc_job.h"
#include "dcdatabase/message_sink.h"
#include "dcdatabase/special_symbols.h"

#include <QString>
#include <optional>

namespace pxu::dc {

// Where the layout's special symbols (values beginning "DC_") come from: the plant and
// software information of the builder's working copy.
class SpecialSymbolSource {
public:
    virtual ~SpecialSymbolSource() = default;
    // The text of a text symbol; nothing when the symbol is missing.
    virtual std::optional<QString> text(const QString& alias) = 0;
    // The plain decimal number of a number symbol; nothing when it is missing or empty.
    virtual std::optional<QString> number(const QString& alias) = 0;
};

// The special symbols of a database, read on a job of it; what is missing is told in the
// sink as the plant and software information tells it.
class DatabaseSymbolSource : public SpecialSymbolSource {
public:
    DatabaseSymbolSource(DcJob& job, MessageSink& sink)
        : m_job(job)
        , m_symbols(job, sink) {}
    std::optional<QString> text(const QString& alias) override;
    std::optional<QString> number(const QString& alias) override;

private:
    DcJob& m_job;
    SpecialSymbols m_symbols;
};

} // namespace pxu::dc
