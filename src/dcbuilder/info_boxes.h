#pragma once

#include <QLatin1String>
#include <array>

namespace pxu {

// The nine plant and software information boxes of the "Set Infos" tab, in the order of
// their captions lblSwInfo(0) to lblSwInfo(8).
enum class InfoBox : int {
    txtEngineType,
    txtHullNo,
    txtSwVersion,
    txtBuild,
    txtBootloader,
    txtManufacNo,
    txtImoSwNo,
    txtDeveloperNo,
    txtEpiDbNo,
    count
};
constexpr int kInfoBoxCount = int(InfoBox::count);

// A text is shown as stored; a number through its format; the bootloader version is
// stored in hundredths and shown as the version.
enum class InfoKind { Text, Number, Bootloader };

struct InfoBoxSetting {
    const char* name;    // the box
    QLatin1String label; // its caption
    int maxLength;
    QLatin1String alias; // of its special symbol
    InfoKind kind;
    QLatin1String format; // numbers
};

const std::array<InfoBoxSetting, kInfoBoxCount>& infoBoxSettings();
inline const InfoBoxSetting& infoBoxSetting(InfoBox box) {
    return infoBoxSettings()[int(box)];
}

} // namespace pxu
