#include "biff_cells.h"

#include "biff_records.h"
#include "biff_shared_strings.h"
#include "biff_text.h"
#include "cell_reference.h"
#include "platform/text/number_text.h"

#include <QHash>
#include <cstring>
#include <optional>

namespace pxu::xlsx {

namespace {

enum RecordType : quint16 {
    kFormula = 0x0006,
    kEof = 0x000A,
    kFilePass = 0x002F,
    kContinue = 0x003C,
    kBoundSheet = 0x0085,
    kMulRk = 0x00BD,
    kRichText = 0x00D6,
    kSharedStrings = 0x00FC,
    kSharedText = 0x00FD,
    kNumber = 0x0203,
    kText = 0x0204,
    kBoolErr = 0x0205,
    kString = 0x0207,
    kRk = 0x027E,
    kBof = 0x0809,
};
constexpr quint16 kBiff8 = 0x0600;
constexpr quint16 kGlobals = 0x0005;
constexpr quint8 kWorksheet = 0x00;

// A number packed into 30 bits: an integer or the upper half of a double, either of them
// possibly a hundredth of what it holds.
double rkValue(quint32 rk) {
    double value = 0;
    if (rk & 2) {
        value = qint32(rk) >> 2;
    } else {
        const quint64 bits = quint64(rk & 0xFFFFFFFCu) << 32;
        std::memcpy(&value, &bits, sizeof value);
    }
    return (rk & 1) ? value / 100 : value;
}

// A record's data and that of the CONTINUE records right after it, which are taken.
QList<QByteArrayView> continued(BiffRecordReader& records, QByteArrayView first) {
    QList<QByteArrayView> data{first};
    while (records.peekType() == kContinue) {
        const std::optional<BiffRecord> more = records.next();
        if (!more)
            break;
        data.append(more->data);
    }
    return data;
}

} // namespace

BiffCellScan::Result BiffCellScan::read(const QByteArray& stream) {
    m_sheets.clear();
    m_sharedStrings.clear();
    m_problem.clear();
    QList<SheetEntry> entries;
    const Result globals = readGlobals(stream, entries);
    if (globals != Result::Read)
        return globals;
    // A place read for two sheets would let a small file hold its cells many times over.
    QHash<quint32, QString> sheetAt;
    for (const SheetEntry& entry : entries) {
        if (!entry.worksheet) {
            m_sheets.append({entry.name, {}});
            continue;
        }
        if (const auto other = sheetAt.constFind(entry.position); other != sheetAt.cend())
            return damaged(QStringLiteral("sheets \"%1\" and \"%2\" begin at one place")
                               .arg(*other, entry.name));
        sheetAt.insert(entry.position, entry.name);
        if (!readSheet(stream, entry))
            return Result::Damaged;
    }
    return Result::Read;
}

BiffCellScan::Result BiffCellScan::readGlobals(const QByteArray& stream,
                                               QList<SheetEntry>& entries) {
    BiffRecordReader records(stream, 0);
    const std::optional<BiffRecord> bof = records.next();
    // The first record of the stream tells the format's version; older ones have other
    // records of that kind.
    if (bof && (bof->type == 0x0009 || bof->type == 0x0209 || bof->type == 0x0409))
        return Result::OlderFormat;
    if (!bof || bof->type != kBof || bof->data.size() < 4)
        return damaged(QStringLiteral("its workbook stream does not begin as a workbook"));
    if (bof->u16(0) != kBiff8)
        return Result::OlderFormat;
    if (bof->u16(2) != kGlobals)
        return damaged(QStringLiteral("its workbook stream does not begin as a workbook"));

    while (const std::optional<BiffRecord> record = records.next()) {
        if (record->type == kEof)
            return Result::Read;
        if (record->type == kFilePass)
            return Result::Encrypted;
        if (record->type == kSharedStrings) {
            std::optional<QStringList> texts =
                readSharedStrings(BiffContinuedData(continued(records, record->data)));
            if (!texts)
                return damaged(QStringLiteral("its list of texts is broken"));
            m_sharedStrings = std::move(*texts);
            continue;
        }
        if (record->type != kBoundSheet)
            continue;
        if (record->data.size() < 8)
            return damaged(QStringLiteral("a sheet's entry is cut short"));
        const std::optional<QString> name =
            BiffContinuedData({record->data}, 6).text(BiffContinuedData::Length::Byte);
        if (!name)
            return damaged(QStringLiteral("a sheet's name is cut short"));
        entries.append({*name, record->u32(0), quint8(record->data[5]) == kWorksheet});
    }
    return damaged(QStringLiteral("its workbook stream ends before the list of its sheets does"));
}

bool BiffCellScan::readSheet(const QByteArray& stream, const SheetEntry& entry) {
    BiffSheet sheet{entry.name, {}};
    BiffRecordReader records(stream, qsizetype(entry.position));
    const std::optional<BiffRecord> bof = records.next();
    if (!bof || bof->type != kBof) {
        damaged(QStringLiteral("sheet \"%1\" is not where the workbook says").arg(entry.name));
        return false;
    }
    auto cutShort = [&](int row, int column) {
        damaged(QStringLiteral("sheet \"%1\", cell %2 is cut short")
                    .arg(entry.name, cellReference(row + 1, column + 1)));
        return false;
    };
    auto add = [&](int row, int column, const QString& text) {
        sheet.cells.append({row + 1, column + 1, text});
    };

    // Charts embedded in the sheet are streams of their own within it.
    int depth = 1;
    // A formula whose result is a text: the text follows in a record of its own.
    std::optional<BiffCell> textFormula;
    while (depth > 0) {
        const std::optional<BiffRecord> record = records.next();
        if (!record) {
            damaged(QStringLiteral("sheet \"%1\" is cut short").arg(entry.name));
            return false;
        }
        const BiffRecord& r = *record;
        if (r.type == kBof || r.type == kEof) {
            depth += r.type == kBof ? 1 : -1;
            continue;
        }
        if (depth > 1)
            continue;
        const qsizetype size = r.data.size();
        const int row = size >= 4 ? r.u16(0) : 0;
        const int column = size >= 4 ? r.u16(2) : 0;
        switch (r.type) {
        case kNumber:
            if (size < 14)
                return cutShort(row, column);
            add(row, column, numberText(r.f64(6)));
            break;
        case kRk:
            if (size < 10)
                return cutShort(row, column);
            add(row, column, numberText(rkValue(r.u32(6))));
            break;
        case kMulRk:
            // Row, first column, then the format and number of each column, last column.
            if (size < 12)
                return cutShort(row, column);
            for (qsizetype at = 4, c = column; at + 6 + 2 <= size; at += 6, ++c)
                add(row, int(c), numberText(rkValue(r.u32(at + 2))));
            break;
        case kBoolErr:
            if (size < 8)
                return cutShort(row, column);
            if (r.data[7] != 0)
                add(row, column, QString()); // an error
            else
                add(row, column, r.data[6] ? QStringLiteral("True") : QStringLiteral("False"));
            break;
        case kFormula:
            if (size < 20)
                return cutShort(row, column);
            // The last value: a double, or with its top two bytes all ones the kind of a value
            // that is no number (0 a text, 1 a Boolean, 2 an error, 3 an empty text).
            if (r.u16(12) != 0xFFFF)
                add(row, column, numberText(r.f64(6)));
            else if (r.data[6] == 0)
                textFormula = BiffCell{row, column, {}};
            else if (r.data[6] == 1)
                add(row, column, r.data[8] ? QStringLiteral("True") : QStringLiteral("False"));
            else
                add(row, column, QString());
            break;
        case kSharedText: {
            if (size < 10)
                return cutShort(row, column);
            const quint32 index = r.u32(6);
            if (index >= quint32(m_sharedStrings.size())) {
                damaged(QStringLiteral("sheet \"%1\", cell %2 names a text that its list of "
                                       "texts does not hold")
                            .arg(entry.name, cellReference(row + 1, column + 1)));
                return false;
            }
            add(row, column, m_sharedStrings[qsizetype(index)]);
            break;
        }
        case kText:
        case kRichText: {
            // Row, column and format, then the text; a rich text's formatting runs follow it.
            const std::optional<QString> text =
                size >= 6 ? BiffContinuedData({r.data}, 6).text(BiffContinuedData::Length::Word)
                          : std::nullopt;
            if (!text)
                return cutShort(row, column);
            add(row, column, *text);
            break;
        }
        case kString: {
            if (!textFormula)
                break;
            const std::optional<QString> text =
                BiffContinuedData(continued(records, r.data)).text(BiffContinuedData::Length::Word);
            if (!text)
                return cutShort(textFormula->row, textFormula->column);
            add(textFormula->row, textFormula->column, *text);
            textFormula.reset();
            break;
        }
        default:
            break;
        }
    }
    m_sheets.append(std::move(sheet));
    return true;
}

BiffCellScan::Result BiffCellScan::damaged(const QString& why) {
    m_problem = why;
    return Result::Damaged;
}

} // namespace pxu::xlsx
