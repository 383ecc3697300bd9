#pragma once

namespace pxu {

// The memory sections of a PXU module by their numbers, which are also the sub-indices of
// their info block (0x5FFE) and program data (0x1F50).
enum SectionNumber : int {
    sectionHardware = 1,
    sectionBootloader1 = 2,
    sectionBootloader2 = 3,
    sectionDataContainer = 4,
    sectionApplication = 6,
    sectionFpga = 7,
};

} // namespace pxu
