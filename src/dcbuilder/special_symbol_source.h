#pragma once

#include "dcdatabase/dc_job.h"
#include "dcdatabase/message_sink.h"
#include "dcdatabase/special_symbols.h"

#include <QString>
#include <optional>

namespace pxu::dc {

// Where a build takes the layout's special symbols (values beginning "DC_") from: the plant
// and software information of a database, read on a job of it (the builder's working
// copy). What is missing is told in the sink as the plant and software information tells it.
class SpecialSymbolSource {
public:
    SpecialSymbolSource(DcJob& job, MessageSink& sink)
        : m_job(job)
        , m_symbols(job, sink) {}
    // The text of a text symbol; nothing when the symbol is missing.
    std::optional<QString> text(const QString& alias);
    // The plain decimal number of a number symbol; nothing when it is missing or empty.
    std::optional<QString> number(const QString& alias);

private:
    DcJob& m_job;
    SpecialSymbols m_symbols;
};

} // namespace pxu::dc
