#include "can_channel.h"

namespace pxu::can {

bool parseCanChannel(const QString& text, CanChannel* channel) {
    const qsizetype colon = text.indexOf(QLatin1Char(':'));
    if (colon <= 0 || colon == text.size() - 1)
        return false;
    channel->plugin = text.left(colon).trimmed();
    channel->interfaceName = text.mid(colon + 1).trimmed();
    return !channel->plugin.isEmpty() && !channel->interfaceName.isEmpty();
}

QString canChannelTextForBoard(int boardNumber) {
    const QString variable = QStringLiteral("PXU_CAN_BOARD%1").arg(boardNumber);
    const QString configured = qEnvironmentVariable(variable.toLatin1().constData()).trimmed();
    if (!configured.isEmpty())
        return configured;
    return QStringLiteral("socketcan:can%1").arg(boardNumber);
}

} // namespace pxu::can
