#include "auto_download_options.h"

#include "command_line.h"

namespace pxu::sim {

void AutoDownloadOptions::apply(AutoDownloadMaster& master) const {
    master.faults() = faults;
    for (const int m : engineRunning)
        master.setEngineRunning(true, m);
}

bool isAutoDownloadOption(const QString& option) {
    return option == QLatin1String("--adl-var") || option == QLatin1String("--adl-fault");
}

namespace {

quint16* idOf(const QString& name, AutoDownloadIds& ids) {
    const QString n = name.toUpper();
    if (n == QLatin1String("GLB_CAN_MODULE_STATE_RO"))
        return &ids.moduleStateRo;
    if (n == QLatin1String("GLB_CAN_MODULE_STATE_RW"))
        return &ids.moduleStateRw;
    if (n == QLatin1String("GLB_CAN_SW_UPDATE_STATE_RO"))
        return &ids.updateStateRo;
    if (n == QLatin1String("GLB_CAN_SW_UPDATE_FAILURE_RO"))
        return &ids.updateFailureRo;
    if (n == QLatin1String("GLB_ENG_STSTILL"))
        return &ids.engineStandStill;
    return nullptr;
}

quint16 maskOf(const QList<int>& modules) {
    quint16 mask = 0;
    for (const int m : modules)
        mask |= quint16(1u << m);
    return mask;
}

} // namespace

std::optional<bool> parseAutoDownloadOption(const QString& option, const QString& value,
                                            AutoDownloadOptions& into, QString* error) {
    if (!isAutoDownloadOption(option))
        return std::nullopt;
    const auto fail = [&] {
        if (error)
            *error = QStringLiteral("bad value \"%1\" for %2").arg(value, option);
        return false;
    };
    const qsizetype eq = value.indexOf(QLatin1Char('='));
    const QString name = eq < 0 ? value : value.left(eq);
    const QString argument = eq < 0 ? QString() : value.mid(eq + 1);
    if (option == QLatin1String("--adl-var")) {
        quint16* id = idOf(name, into.ids);
        bool ok = false;
        const uint v = argument.toUInt(&ok, 0);
        if (!id || !ok || v > 0xFFF)
            return fail();
        *id = quint16(v);
        return true;
    }
    if (name == QLatin1String("command-never-clears") && argument.isEmpty()) {
        into.faults.commandNeverClears = true;
        return true;
    }
    if (name == QLatin1String("rising-attempts") && argument.isEmpty()) {
        into.faults.risingAttempts = true;
        return true;
    }
    const QList<int> modules =
        argument.isEmpty() ? parseModuleList(QStringLiteral("1-14")) : parseModuleList(argument);
    if (modules.isEmpty() || modules.contains(0))
        return fail();
    if (name == QLatin1String("failure")) {
        into.faults.failureMask |= maskOf(modules);
        return true;
    }
    if (name == QLatin1String("engine-running")) {
        into.engineRunning << modules;
        return true;
    }
    return fail();
}

QString autoDownloadUsage() {
    return QStringLiteral(
        "Auto download of the spare module (M-Bus only):\n"
        "  --adl-var NAME=ID           variable id (12 bits) of GLB_CAN_MODULE_STATE_RO (0x820),\n"
        "                              GLB_CAN_MODULE_STATE_RW (0x821), "
        "GLB_CAN_SW_UPDATE_STATE_RO\n"
        "                              (0x822), GLB_CAN_SW_UPDATE_FAILURE_RO (0x823) or\n"
        "                              GLB_ENG_STSTILL (0x810)\n"
        "  --adl-fault NAME[=LIST]     fault switches:\n"
        "        command-never-clears    the command word stays busy\n"
        "        rising-attempts         every section download needs a second attempt\n"
        "        failure=LIST            downloads into these cylinders fail\n"
        "        engine-running[=LIST]   these cylinders report a running engine (default all)\n");
}

} // namespace pxu::sim
