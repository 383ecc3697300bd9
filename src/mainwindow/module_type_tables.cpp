#include "module_type_tables.h"

#include "core/config_items.h"
#include "core/globals.h"

namespace pxu {

SectionTags sectionTags(const QString& moduleType, bool newSections) {
    if (moduleType == QLatin1String("KEV") || moduleType == QLatin1String("TOQ"))
        return {2, -1, -1, 1, -1};
    if (newSections)
        return {6, 4, 9, 8, -1};
    return {6, 4, 7, 3, -1};
}

const std::array<QString, kSectionBoxCount>& sectionCaptions() {
    static const std::array<QString, kSectionBoxCount> captions{
        QStringLiteral("Application"), QStringLiteral("DataCont."), QStringLiteral("FPGA"),
        QStringLiteral("BL2"), QStringLiteral("KEV Appl.")};
    return captions;
}

int lastShownRow(int applType) {
    switch (applType) {
    case applTypeZent:
    case applTypeKev:
    case applTypeToq:
        return kModuleCount - 1;
    case applTypeDorn:
        return 2;
    default:
        return 0;
    }
}

BaseAddresses defaultBaseAddresses(bool bigMem) {
    if (bigMem)
        return {0x60000, 0x30000, 0x100000};
    return {0xC0000, 0xD0000, 0x30000};
}

BaseAddresses readBaseAddresses(bool bigMem) {
    const QString memory = bigMem ? QStringLiteral("bigMem") : QStringLiteral("smallMem");
    BaseAddresses read;
    read.dc = qint32(hexMiscItem(QStringLiteral("baseAdrDC_") + memory, 0));
    read.fpga = qint32(hexMiscItem(QStringLiteral("baseAdrFPGA_") + memory, 0));
    read.appl = qint32(hexMiscItem(QStringLiteral("baseAdrAppl_") + memory, 0));
    const BaseAddresses fallback = defaultBaseAddresses(bigMem);
    if (read.dc == 0)
        read.dc = fallback.dc;
    if (read.fpga == 0)
        read.fpga = fallback.fpga;
    if (read.appl == 0)
        read.appl = fallback.appl;
    return read;
}

} // namespace pxu
