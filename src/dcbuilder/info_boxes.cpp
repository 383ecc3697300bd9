#include "info_boxes.h"

#include "dcdatabase/special_symbols.h"

namespace pxu {

const std::array<InfoBoxSetting, kInfoBoxCount>& infoBoxSettings() {
    namespace a = dc::alias;
    using L = QLatin1String;
    static const std::array<InfoBoxSetting, kInfoBoxCount> settings{{
        {"txtEngineType", L("EngineType:"), 32, a::engineType, InfoKind::Text, L("")},
        {"txtHullNo", L("Hull Number:"), 16, a::hullNo, InfoKind::Text, L("")},
        {"txtSwVersion", L("SW Version:"), 2, a::swVersion, InfoKind::Number, L("00")},
        {"txtBuild", L("Build:"), 3, a::build, InfoKind::Number, L("000")},
        {"txtBootloader", L("Bootloader Version:"), 4, a::bootloaderVersion, InfoKind::Bootloader,
         L("0.00")},
        {"txtManufacNo", L("Manufacturer Number:"), 16, a::manufacNo, InfoKind::Text, L("")},
        {"txtImoSwNo", L("IMO SW No.:"), 16, a::imoSwNo, InfoKind::Text, L("")},
        {"txtDeveloperNo", L("Developer.No:"), 4, a::developerNo, InfoKind::Number, L("0000")},
        {"txtEpiDbNo", L("EPI DB No.:"), 16, a::epiDbNo, InfoKind::Text, L("")},
    }};
    return settings;
}

} // namespace pxu
