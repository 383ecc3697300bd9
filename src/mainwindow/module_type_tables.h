#pragma once

#include <QString>
#include <array>

namespace pxu {

constexpr int kSectionBoxCount = 5;
// Section boxes by index.
enum SectionBox : int {
    sectionBoxAppl = 0,
    sectionBoxDC = 1,
    sectionBoxFPGA = 2,
    sectionBoxBL2 = 3,
    sectionBoxKevAppl = 4,
};

using SectionTags = std::array<int, kSectionBoxCount>;

// The section number each box stands for; -1 where the module type offers no section.
// "New" moves the PXU type's FPGA and BL2 boxes to their alternative sections.
SectionTags sectionTags(const QString& moduleType, bool newSections = false);
const std::array<QString, kSectionBoxCount>& sectionCaptions();

// The last module row shown for an application type.
int lastShownRow(int applType);

struct BaseAddresses {
    qint32 dc = 0;
    qint32 fpga = 0;
    qint32 appl = 0;
};
// The addresses a section must have when the configuration gives none.
BaseAddresses defaultBaseAddresses(bool bigMem);
// The configured addresses ("baseAdrDC_bigMem", ...), each 0 replaced by its default.
BaseAddresses readBaseAddresses(bool bigMem);

// Application start address from which a load file needs the big memory layout.
constexpr qint32 kBigMemStart = 0x100000;

} // namespace pxu
