#pragma once

#include "core/globals.h"

#include <QByteArray>
#include <optional>

namespace pxu {

// The receivers of variable-value messages, in the order they are tested.
enum class VariableRole {
    ModuleStateRo,
    SwUpdateStateRo,
    SwUpdateFailureRo,
    ModuleStateRw,
    EngStStill,
    CrcFirstApplication,
    SwInfoBuild,
    SwInfoDeveloperNo,
    TotNoOfCyl,
    SwInfoHullNo, // four consecutive ids
    EngineType,   // eight consecutive ids
    AutoDownldActivate,
    CrcValueImo,
    CrcLenImo,
    CrcValueApplication,
    CrcLenApplication,
};

// The first row the 12-bit variable id falls on. Rows whose id is 0 (an item that is
// missing, the engine type before the updater sets it) take nothing.
std::optional<VariableRole> variableRoleOf(int variableId, const VarIds& ids = g_varIds);

// Hands a received value (four bytes) to its receiver; id is the unmasked 16-bit id, the
// sending module in bits 12 to 15. False when no receiver took it.
bool dispatchVariable(qint32 id, const QByteArray& value);

} // namespace pxu
