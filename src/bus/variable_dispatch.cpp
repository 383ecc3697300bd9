#include "variable_dispatch.h"

#include "auto_download.h"
#include "bus_hooks.h"

namespace pxu {

namespace {

struct Row {
    qint32 VarIds::*id;
    int count;
    VariableRole role;
};

constexpr Row kRows[] = {
    {&VarIds::g_varIdModuleStateRo, 1, VariableRole::ModuleStateRo},
    {&VarIds::g_varIdSwUpdateStateRo, 1, VariableRole::SwUpdateStateRo},
    {&VarIds::g_varIdSwUpdateFailureRo, 1, VariableRole::SwUpdateFailureRo},
    {&VarIds::g_varIdModuleStateRw, 1, VariableRole::ModuleStateRw},
    {&VarIds::g_varIdEngStStill, 1, VariableRole::EngStStill},
    {&VarIds::g_varIdCrcFirstApplication, 1, VariableRole::CrcFirstApplication},
    {&VarIds::g_varIdSwInfoBuild, 1, VariableRole::SwInfoBuild},
    {&VarIds::g_varIdSwInfoDeveloperNo, 1, VariableRole::SwInfoDeveloperNo},
    {&VarIds::g_varIdTotNoOfCyl, 1, VariableRole::TotNoOfCyl},
    {&VarIds::g_varIdSwInfoHullNo, 4, VariableRole::SwInfoHullNo},
    {&VarIds::g_varIdEngineType, 8, VariableRole::EngineType},
    {&VarIds::g_varIdAutoDownldActivate, 1, VariableRole::AutoDownldActivate},
    {&VarIds::g_varIdCrcValueImo, 1, VariableRole::CrcValueImo},
    {&VarIds::g_varIdCrcLenImo, 1, VariableRole::CrcLenImo},
    {&VarIds::g_varIdCrcValueApplication, 1, VariableRole::CrcValueApplication},
    {&VarIds::g_varIdCrcLenApplication, 1, VariableRole::CrcLenApplication},
};

} // namespace

std::optional<VariableRole> variableRoleOf(int variableId, const VarIds& ids) {
    for (const Row& row : kRows) {
        const qint32 first = ids.*row.id;
        if (first != 0 && variableId >= first && variableId < first + row.count)
            return row.role;
    }
    return std::nullopt;
}

bool dispatchVariable(qint32 id, const QByteArray& value) {
    const auto role = variableRoleOf(id & 0xFFF);
    if (!role)
        return false;
    namespace adl = modAutoDownload;
    SystemInfoReceivers* r = systemInfoReceivers();
    switch (*role) {
    case VariableRole::ModuleStateRo:
        adl::g_setModuleStatus(value, id);
        return true;
    case VariableRole::SwUpdateStateRo:
        adl::g_setUpdateStatus(value, id);
        return true;
    case VariableRole::SwUpdateFailureRo:
        adl::g_setUpdateFailure(value, id);
        return true;
    case VariableRole::ModuleStateRw:
        adl::g_setCommandStatus(value, id);
        return true;
    case VariableRole::EngStStill:
        adl::g_setEngineStandStill(value, id);
        return true;
    default:
        break;
    }
    if (!r)
        return false;
    switch (*role) {
    case VariableRole::CrcFirstApplication:
        r->g_setFirstApplicationCrc(value, id);
        break;
    case VariableRole::SwInfoBuild:
        r->g_setBuild(value, id);
        break;
    case VariableRole::SwInfoDeveloperNo:
        r->g_setDeveloper(value, id);
        break;
    case VariableRole::TotNoOfCyl:
        r->g_setNoOfCyl(value, id);
        break;
    case VariableRole::SwInfoHullNo:
        r->g_setHullNumber(value, id);
        break;
    case VariableRole::EngineType:
        r->g_setEngineType(value, id);
        break;
    case VariableRole::AutoDownldActivate:
        r->g_setAutoDownload(value, id);
        break;
    case VariableRole::CrcValueImo:
        r->g_setCrcValueImo(value, id);
        break;
    case VariableRole::CrcLenImo:
        r->g_setCrcLenImo(value, id);
        break;
    case VariableRole::CrcValueApplication:
        r->g_setCrcValueApplication(value, id);
        break;
    case VariableRole::CrcLenApplication:
        r->g_setCrcLenApplication(value, id);
        break;
    default:
        return false;
    }
    return true;
}

} // namespace pxu
