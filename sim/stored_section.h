#pragma once

#include <QByteArray>
#include <map>

#include "node_ids.h"

namespace pxu::sim {

// Section numbers of a module's memory.
enum SectionNumber : int {
    HardwareSection = 1,
    Bootloader1Section = 2,
    Bootloader2Section = 3,
    DataContainerSection = 4,
    ApplicationSection = 6,
    FpgaSection = 7,
};

bool sectionExists(int section);

// One memory section as the bootloader keeps it: its info block and its code.
struct StoredSection {
    QByteArray infoBlock;
    QByteArray image;
};

using SectionMap = std::map<int, StoredSection>;

// Valid sections every module starts with, so that an overview reads sensible values.
SectionMap defaultSections(BusKind bus, int module);

} // namespace pxu::sim
