#include "can_open_error.h"

#include "core/sprintf.h"

#include <utility>

namespace pxu {

QString getErrorText(qint32 result) {
    switch (result) {
    case 1:
        return QStringLiteral("Success");
    case 0:
        return QStringLiteral("VCI General Error");
    case -1:
        return QStringLiteral("VCI Hardware / Software Error");
    case -3:
        return QStringLiteral("VCI Parameter Error");
    case -4:
        return QStringLiteral("VCI Resource Error");
    case -5:
        return QStringLiteral("VCI Que Overrun");
    case -6:
        return QStringLiteral("VCI Transmission Error");
    case 0x7000:
        return QStringLiteral("CAN Interface has already been started");
    case 0x7001:
        return QStringLiteral("Device is in passive mode");
    case 0x7002:
        return QStringLiteral("CAN-Interface General Error");
    default:
        return QStringLiteral("Unknown failure");
    }
}

qint32 getBoardType(const QString& name) {
    static const std::pair<const char*, qint32> kBoards[] = {
        {"SELECT", -1},          {"IPCI165", 0x01010000},     {"IPCI320", 0x01010100},
        {"TINCAN", 0x01040300},  {"IPCI165_PCI", 0x01020600}, {"IPCI320_PCI", 0x01020700},
        {"USB2CAN", 0x01050A00}, {"USB2CANII", 0x01051300},   {"USBCOMPACT", 0x01050F00},
    };
    const QString upper = name.toUpper();
    for (const auto& [board, code] : kBoards) {
        if (upper == QLatin1String(board))
            return code;
    }
    return 0;
}

QString canOpenErrorText(qint32 result, const QString& context, int node, qint64 index,
                         int subIndex) {
    QString text = context + QStringLiteral(": ") + getErrorText(result);
    if (node < 255)
        text += sprintf(QStringLiteral("\\nNode: {*}"), node);
    if (index >= 0)
        text += sprintf(QStringLiteral(" Index: 0x{*} "), QString::number(index, 16).toUpper());
    if (subIndex < 255)
        text +=
            sprintf(QStringLiteral(" Sub-Index: 0x{*}"), QString::number(subIndex, 16).toUpper());
    return text;
}

} // namespace pxu
