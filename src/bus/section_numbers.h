#pragma once

#include <QtGlobal>

namespace pxu {

// The memory sections of a PXU module by their numbers, which are also the sub-indices of
// their info block and program data in the bootloader.
enum SectionNumber : int {
    sectionHardware = 1,
    sectionBootloader1 = 2,
    sectionBootloader2 = 3,
    sectionDataContainer = 4,
    sectionApplication = 6,
    sectionFpga = 7,
};

// The bootloader's objects, sub-indexed by section.
constexpr qint32 kInfoBlockObject = 0x5FFE;
constexpr qint32 kProgramDataObject = 0x1F50;

} // namespace pxu
