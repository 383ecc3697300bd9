#pragma once

#include <QString>
#include <QtGlobal>
#include <optional>

namespace pxu::sim {

// The bus a set of modules sits on; it fixes node ids and the module type.
enum class BusKind { SBus, MBus, Kev, Toq, Lorin };

// The module type: the KEV and TOQ kinds have their own program-control and
// loading-status sub-indices and no flash-programming status.
enum class ModuleType { Pxu, Kev, Toq };

constexpr int kModuleCount = 15;

ModuleType moduleType(BusKind bus);
quint8 applicationNode(BusKind bus, int module);
quint8 bootloaderNode(BusKind bus, int module);
// The cylinder bootloaders of the M-Bus answer SDO but send no heartbeat.
bool bootloaderSendsHeartbeat(BusKind bus, int module);
// A second node of the application that answers only the hardware version: the M-Bus
// cylinders at 0x20 + module.
std::optional<quint8> hardwareVersionNode(BusKind bus, int module);
// The node an old bootloader on the M-Bus sends its heartbeat from.
constexpr quint8 kOldBootloaderNode = 0x71;

// "S", "M", "KEV", "TOQ", "LORIN" (case-insensitive).
std::optional<BusKind> busKindFromText(const QString& text);
QString busKindText(BusKind bus);

} // namespace pxu::sim
