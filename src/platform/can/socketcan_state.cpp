#include "socketcan_state.h"

#include <QNetworkInterface>

namespace pxu::can {

QString socketcanLossReason(const InterfaceFlags& flags) {
    if (!flags.exists)
        return QStringLiteral("the interface is gone");
    if (!flags.up)
        return QStringLiteral("the interface is down");
    if (!flags.running)
        return QStringLiteral("the interface has no carrier (bus-off)");
    return {};
}

InterfaceFlags socketcanInterfaceFlags(const QString& interfaceName) {
    const QNetworkInterface found = QNetworkInterface::interfaceFromName(interfaceName);
    InterfaceFlags flags;
    flags.exists = found.isValid();
    flags.up = found.flags().testFlag(QNetworkInterface::IsUp);
    flags.running = found.flags().testFlag(QNetworkInterface::IsRunning);
    return flags;
}

} // namespace pxu::can
