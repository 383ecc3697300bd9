#include "group_crc.h"

#include "core/byte_conversions.h"
#include "core/config_items.h"
#include "core/sprintf.h"
#include "dcdatabase/number_text.h"
#include "dcdatabase/special_symbols.h"
#include "image_fields.h"
#include "platform/crc/crc.h"

namespace pxu::dc {

QString crcGroupLabel(QLatin1String name) {
    return (name + QStringLiteral(" Paras CRC     ")).left(18) + QStringLiteral("= ");
}

void buildCrc(DcJob& job, int group, QString& label, qint32& crc, qint32& length,
              MessageSink& sink) {
    const QString symbol = g_getSymbolName(alias::crcFirstGroup + QString::number(group));
    if (label.isEmpty())
        label = symbol + QStringLiteral(" = ");

    const auto rows = job.select(
        QStringLiteral("SELECT name, value FROM dcEnums WHERE id>=0 AND crcGroup=? ORDER BY id"),
        {group});
    if (rows->eof()) {
        sink.addMessage(sprintf(QStringLiteral("      {*}no parameters in this group!"), label));
        return;
    }
    QByteArray input;
    input.reserve(4 * rows->recordCount());
    for (rows->moveFirst(); !rows->eof(); rows->moveNext()) {
        const auto value = longFromText(rows->text(1));
        if (!value)
            failJob(sprintf(QStringLiteral("{*}the value '{*}' of {*} is no number of 32 bits."),
                            label, rows->text(1), rows->text(0)));
        input += numberField(*value, 4);
    }
    crc = quint16(CrcCalculation(input.constData(), qint32(input.size()), 0));
    length = qint32(input.size());

    const auto target = job.select(QStringLiteral("SELECT value FROM dcEnums WHERE name = ? "
                                                  "COLLATE NOCASE ORDER BY id LIMIT 1"),
                                   {symbol});
    if (target->eof()) {
        sink.addMessage(
            sprintf(QStringLiteral("      {*}Parameter {*} not found in DC!"), label, symbol));
        return;
    }
    const QVariant stored = target->value(0);
    if (stored.isNull() || longFromText(stored.toString()) != crc)
        editRow(*target, {{QStringLiteral("value"), crc}});
    sink.addMessage(sprintf(QStringLiteral("      {*}{*}  {*}"), label, g_toHex(crc),
                            QString::number(length).rightJustified(4, u' ')));
}

} // namespace pxu::dc
