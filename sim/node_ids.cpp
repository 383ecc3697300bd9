#include "node_ids.h"

namespace pxu::sim {

ModuleType moduleType(BusKind bus) {
    switch (bus) {
    case BusKind::Kev:
        return ModuleType::Kev;
    case BusKind::Toq:
        return ModuleType::Toq;
    default:
        return ModuleType::Pxu;
    }
}

quint8 applicationNode(BusKind bus, int module) {
    switch (bus) {
    case BusKind::SBus:
        return quint8(0x20 + module);
    case BusKind::MBus:
    case BusKind::Lorin:
        return quint8(0x11 + module);
    case BusKind::Kev:
        return quint8(0x50 + module);
    case BusKind::Toq:
        return quint8(0x30 + module);
    }
    return 0;
}

quint8 bootloaderNode(BusKind bus, int module) {
    switch (bus) {
    case BusKind::SBus:
        return quint8(0x70 + module);
    case BusKind::MBus:
        return module == 0 ? quint8(0x7F) : quint8(0x70 + module);
    case BusKind::Lorin:
        return quint8(0x71 + module);
    case BusKind::Kev:
        return quint8(0x40 + module);
    case BusKind::Toq:
        return quint8(0x20 + module);
    }
    return 0;
}

bool bootloaderSendsHeartbeat(BusKind bus, int module) {
    return bus != BusKind::MBus || module == 0;
}

std::optional<quint8> hardwareVersionNode(BusKind bus, int module) {
    if (bus == BusKind::MBus && module > 0)
        return quint8(0x20 + module);
    return std::nullopt;
}

std::optional<BusKind> busKindFromText(const QString& text) {
    const QString t = text.trimmed().toUpper();
    if (t == QLatin1String("S") || t == QLatin1String("S-BUS"))
        return BusKind::SBus;
    if (t == QLatin1String("M") || t == QLatin1String("M-BUS"))
        return BusKind::MBus;
    if (t == QLatin1String("KEV"))
        return BusKind::Kev;
    if (t == QLatin1String("TOQ"))
        return BusKind::Toq;
    if (t == QLatin1String("LORIN"))
        return BusKind::Lorin;
    return std::nullopt;
}

QString busKindText(BusKind bus) {
    switch (bus) {
    case BusKind::SBus:
        return QStringLiteral("S");
    case BusKind::MBus:
        return QStringLiteral("M");
    case BusKind::Kev:
        return QStringLiteral("KEV");
    case BusKind::Toq:
        return QStringLiteral("TOQ");
    case BusKind::Lorin:
        return QStringLiteral("LORIN");
    }
    return {};
}

} // namespace pxu::sim
