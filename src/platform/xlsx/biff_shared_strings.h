#pragma once

#include "biff_text.h"

#include <QStringList>
#include <optional>

namespace pxu::xlsx {

// The workbook's list of shared texts, which text cells name by their place in it: the data of
// its SST record and of the CONTINUE records after it. Empty texts hold their places too.
// Nothing when a text is cut short.
std::optional<QStringList> readSharedStrings(BiffContinuedData data);

} // namespace pxu::xlsx
