#include "srecord_family.h"

namespace pxu {

std::optional<SRecordFamily> sRecordFamily(QStringView formatText) {
    if (formatText == u"S19")
        return SRecordFamily{'1', 2, '9'};
    if (formatText == u"S28")
        return SRecordFamily{'2', 3, '8'};
    if (formatText == u"S37")
        return SRecordFamily{'3', 4, '7'};
    return std::nullopt;
}

} // namespace pxu
