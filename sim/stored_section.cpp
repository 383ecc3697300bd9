#include "stored_section.h"

#include "info_block.h"

namespace pxu::sim {

bool sectionExists(int section) {
    switch (section) {
    case HardwareSection:
    case Bootloader1Section:
    case Bootloader2Section:
    case DataContainerSection:
    case ApplicationSection:
    case FpgaSection:
        return true;
    default:
        return false;
    }
}

namespace {

// Deterministic filler, different per module and section.
QByteArray pattern(int length, quint32 seed) {
    QByteArray bytes(length, '\0');
    quint32 x = seed * 2654435761u + 1;
    for (int i = 0; i < length; ++i) {
        x ^= x << 13;
        x ^= x >> 17;
        x ^= x << 5;
        bytes[i] = char(x);
    }
    return bytes;
}

QByteArray applicationId(BusKind bus) {
    switch (bus) {
    case BusKind::Lorin:
        return "LORX";
    case BusKind::Kev:
        return "KEV20APP";
    default:
        return "ZENT";
    }
}

} // namespace

SectionMap defaultSections(BusKind bus, int module) {
    const QByteArray date = "Jan 05 2026";
    const auto seed = [module](int section) { return quint32(module * 16 + section); };
    SectionMap sections;

    HardwareInfo hardware;
    hardware.serial = quint32(1000 + module);
    sections[HardwareSection] = {makeHardwareInfoBlock(hardware), {}};

    const auto add = [&](int section, InfoBlockFields fields, int length) {
        fields.date = date;
        const QByteArray image = pattern(length, seed(section));
        sections[section] = {makeInfoBlock(section, fields, image), image};
    };
    add(Bootloader1Section, {"BL1_V031", 0x310, {}, 0x00000}, 1024);
    add(Bootloader2Section, {"BL2_V031", 0x030A0000, {}, 0x10100}, 2048);
    add(DataContainerSection, {"DC_V0001", 1, {}, 0xC0000}, 4096);
    add(ApplicationSection, {applicationId(bus), 1, {}, 0x30000}, 20000);
    add(FpgaSection, {"FPGA_V01", 1, {}, 0xD0000}, 3000);
    return sections;
}

} // namespace pxu::sim
