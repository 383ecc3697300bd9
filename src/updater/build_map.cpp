#include "build_map.h"

#include "core/config_items.h"
#include "core/file_names.h"
#include "core/program_info.h"
#include "core/vb_val.h"

namespace pxu::buildMap {

QString buildOf(const QString& crcKey) {
    return g_getMiscItem(crcKey, QString());
}

qint32 newApplicationCrc(const QString& build) {
    const QString text = g_getMiscItemRev(QStringLiteral("new") + build, QString());
    // Unsigned: "0xFFFF" is 65535, not -1.
    const std::optional<qint64> crc = parseHexText(text);
    return crc ? qint32(quint32(*crc)) : -1;
}

QString applicationFile(const QString& build) {
    return g_fullName(programFolder(), g_getMiscItem(QStringLiteral("appl_") + build, QString()));
}

qint32 applicationBaseAddress(bool bigMem) {
    const QString item =
        bigMem ? QStringLiteral("baseAdrAppl_bigMem") : QStringLiteral("baseAdrAppl_smallMem");
    const qint32 address = qint32(hexMiscItem(item, 0));
    if (address != 0)
        return address;
    return bigMem ? 0x100000 : 0x30000;
}

qint32 engineTypeId(bool longForm) {
    return qint32(vbVal(g_getMiscItem(longForm ? QStringLiteral("PAR_SWINFO_ENGINE_TYPE_LONG")
                                               : QStringLiteral("PAR_SWINFO_ENGINE_TYPE"),
                                      QString())));
}

} // namespace pxu::buildMap
