#include "bus_table.h"

#include "core/config_items.h"
#include "core/globals.h"
#include "core/vb_val.h"

namespace pxu {

namespace {

int bitRate(const char* item, int defaultKbit) {
    return int(vbVal(g_getMiscItem(QLatin1String(item), defaultKbit)));
}

int base(const char* item, int defaultBase) {
    return int(hexMiscItem(QLatin1String(item), defaultBase));
}

} // namespace

BusSettings busSettings(const QString& bus, bool lorinMode) {
    BusSettings s;
    s.mBus = !g_KEVMode && !g_TOQMode && bus.left(1).toUpper() == QLatin1String("M");
    if (g_KEVMode) {
        s.bitRateKbit = bitRate("baudrateMBus", 125);
        s.cobIdBootloader = base("cobIdBootlKEV", 0x40);
        s.cobIdApplication = base("cobIdApplKEV", 0x50);
    } else if (g_TOQMode) {
        s.bitRateKbit = bitRate("baudrateMBus", 125);
        s.cobIdBootloader = base("cobIdBootlTOQ", 0x20);
        s.cobIdApplication = base("cobIdApplTOQ", 0x30);
    } else if (lorinMode) {
        s.bitRateKbit = bitRate("baudrateSBus", 500);
        s.cobIdBootloader = base("cobIdBootloader_Sbus_LORIN", 0x71);
        s.cobIdApplication = base("cobIdApplication_Sbus_LORIN", 0x11);
    } else if (!s.mBus) {
        s.bitRateKbit = bitRate("baudrateSBus", 500);
        s.cobIdBootloader = base("cobIdBootloader_Sbus", 0x70);
        s.cobIdApplication = base("cobIdApplication_Sbus", 0x20);
    } else {
        s.bitRateKbit = bitRate("baudrateMBus", 125);
        s.cobIdBootloader = base("cobIdBootloader_Mbus", 0x7F);
        s.cobIdApplication = base("cobIdApplication_Mbus", 0x11);
        s.cobIdBootloaderSbus = base("cobIdBootloader_Sbus", 0x70);
    }
    return s;
}

} // namespace pxu
