#include "layout_interpreter.h"

#include "core/sprintf.h"
#include "dcdatabase/dc_schema.h"
#include "dcdatabase/forward_query.h"
#include "dcdatabase/number_text.h"
#include "image_fields.h"

#include <limits>

namespace pxu::dc {

namespace {

constexpr double kProgressGrain = 0.01;

// Repeats of the interpreter's control state, which alone decides the next step: a layout
// whose jumps come round to the same step with the same loop count never ends. Brent's
// method finds that in a run of any length with two states kept.
class EndlessGuard {
public:
    bool repeats(int index, qint32 counter) {
        if (index == m_index && counter == m_counter)
            return true;
        if (++m_steps == m_power) {
            m_index = index;
            m_counter = counter;
            m_power *= 2;
            m_steps = 0;
        }
        return false;
    }

private:
    int m_index = -1;
    qint32 m_counter = 0;
    qint64 m_power = 1;
    qint64 m_steps = 0;
};

} // namespace

void LayoutInterpreter::fail(const QString& why) const {
    if (!m_step)
        failJob(why);
    failJob(sprintf(QStringLiteral("Step {*} ({*}): {*}"), m_step->step, m_step->content, why));
}

void LayoutInterpreter::warn(const QString& text) {
    m_sink.addMessage(QStringLiteral("      Warning: ") + text);
}

void LayoutInterpreter::load(const QString& prefix) {
    const QString layoutTable = prefix + QStringLiteral("BinFile");
    const auto layout =
        m_job.select(QStringLiteral("SELECT * FROM %1 ORDER BY step").arg(tableId(layoutTable)));
    const QStringList symbolColumns = m_job.columnNames(m_symbolTable);
    for (layout->moveFirst(); !layout->eof(); layout->moveNext()) {
        DcLayoutStep s;
        s.step = layout->value(col::step).toLongLong();
        s.cls = layout->text(col::cls);
        s.varGroup = layout->text(col::varGroup);
        s.content = layout->text(col::content);
        s.value = layout->text(col::value);
        s.noOfBytes = layout->value(col::noOfBytes);
        s.loops = layout->text(col::loops).trimmed();
        s.goTo = layout->value(col::goTo).toLongLong();
        if (s.value.startsWith(QLatin1String("DC_"))) {
            s.source = DcLayoutStep::Source::Special;
        } else if (s.value.startsWith(QLatin1String("TABLE"))) {
            s.source = DcLayoutStep::Source::Table;
            s.moves = !s.value.endsWith(u'_');
            const auto column =
                std::find_if(symbolColumns.begin(), symbolColumns.end(), [&](const QString& c) {
                    return c.compare(s.content, Qt::CaseInsensitive) == 0;
                });
            if (column == symbolColumns.end())
                failJob(sprintf(QStringLiteral("Step {*} ({*}): {*} has no column {*}."), s.step,
                                s.content, m_symbolTable, s.content));
            s.column = int(m_columns.indexOf(*column));
            if (s.column < 0) {
                s.column = int(m_columns.size());
                m_columns << *column;
            }
        } else if (numberFromText(s.value)) {
            s.source = DcLayoutStep::Source::Number;
        }
        m_lastIndexOfStep.insert(s.step, int(m_steps.size()));
        m_steps.push_back(std::move(s));
    }

    QSqlQuery constants = forwardQuery(
        m_job,
        QStringLiteral("SELECT name, id FROM sourceScan WHERE class='CONSTANT' ORDER BY id"));
    while (constants.next()) {
        const QString name = constants.value(0).toString().toLower();
        if (!m_constants.contains(name))
            m_constants.insert(name, qint32(constants.value(1).toLongLong()));
    }

    m_columns << ReadBack::boundColumns(m_symbolTable, m_columns, symbolColumns);
    m_rows.load(m_job, m_symbolTable, m_columns);
    if (!building()) {
        for (const QString& column : std::as_const(m_columns))
            m_writeBack.push_back(preparedStatement(
                m_job, QStringLiteral("UPDATE %1 SET %2 = ? WHERE rowid = ?")
                           .arg(tableId(m_symbolTable), ownColumnId(symbolColumns, column))));
    }
    ReadBack::Write write;
    if (!building())
        write = [this](int row, int column, qint64 number) {
            runPrepared(m_writeBack[size_t(column)], {qlonglong(number), m_rows.key(row)});
        };
    m_readBack.emplace(m_job, m_symbolTable, m_columns, m_rows, std::move(write),
                       [this](const QString& text) { warn(text); });
}

std::optional<qint32> LayoutInterpreter::currentNumber() const {
    const int type = m_currentValue.typeId();
    if (type == QMetaType::LongLong || type == QMetaType::Int) {
        const qint64 v = m_currentValue.toLongLong();
        if (v < std::numeric_limits<qint32>::min() || v > std::numeric_limits<qint32>::max())
            return std::nullopt;
        return qint32(v);
    }
    return longFromText(m_current);
}

qint32 LayoutInterpreter::constant(const QString& name) const {
    const auto found = m_constants.constFind(name.toLower());
    if (found == m_constants.cend())
        fail(sprintf(QStringLiteral("ID {*} not found"), name));
    return *found;
}

void LayoutInterpreter::pass(const QString& prefix, qint32& address) {
    m_symbolTable = prefix + QStringLiteral("Enums");
    const int symbols =
        m_job
            .scalar(
                QStringLiteral("SELECT count(*) FROM %1 WHERE id>=0").arg(tableId(m_symbolTable)))
            .toInt();
    m_sink.updateProgress(0, false);
    if (symbols == 0)
        return;
    load(prefix);

    const double progressStep = 1.0 / symbols;
    double progress = 0;
    EndlessGuard guard;
    for (int index = 0; index < int(m_steps.size());) {
        const DcLayoutStep& step = m_steps[size_t(index)];
        m_step = &step;
        if (guard.repeats(index, m_counter))
            fail(QStringLiteral("the layout's steps never end: the jumps come round to this step "
                                "with the same loop count again."));
        progress += progressStep;
        if (progress >= kProgressGrain) {
            m_sink.updateProgress(progress, true);
            progress = 0;
        }
        const auto passes = loopCount(step);
        if (passes && *passes == 0) {
            index = afterLoop(step, index);
            continue;
        }
        runStep(step, address);
        if (passes)
            m_counter = *passes;
        index = nextIndex(step, index);
    }
    m_step = nullptr;
    m_readBack->finish();
    m_sink.updateProgress(0, false);
}

void LayoutInterpreter::runStep(const DcLayoutStep& step, qint32& address) {
    m_logName.clear();
    bool isWidth = false;
    const qlonglong n = step.noOfBytes.toLongLong(&isWidth);
    if (!isWidth || n < 1 || n > kMaxImageBytes)
        fail(sprintf(QStringLiteral("the width {*} is no width of a field."),
                     step.noOfBytes.toString()));
    const int width = int(n);

    const int pad = address % width;
    if (pad > 0) {
        const int stuffing = width - pad;
        if (m_image.logSteps)
            m_image.stepLog << QStringLiteral("stuffingbytes ") + QString::number(stuffing);
        if (building())
            writeBytes(QByteArray(stuffing, '\0'), address);
        address += stuffing;
    }
    if (qint64(address) + width > kMaxImageBytes)
        fail(QStringLiteral("the image grows beyond 16 MiB."));

    takeValue(step, width);
    if (building())
        writeField(step, width, address);
    else
        readField(step, width, address);
    address += width;

    if (m_image.logSteps)
        m_image.stepLog << sprintf(QStringLiteral("{*}   {*}: {*}    {*}"), step.step, step.content,
                                   m_current, m_logName);
}

void LayoutInterpreter::writeBytes(const QByteArray& bytes, qint32 address) {
    QByteArray& image = m_image.bytes;
    if (image.size() < address)
        image.append(QByteArray(address - image.size(), '\0'));
    image.replace(address, std::min<qsizetype>(bytes.size(), image.size() - address), bytes);
}

void LayoutInterpreter::takeValue(const DcLayoutStep& step, int width) {
    m_presetField.clear();
    m_currentValue.clear();
    switch (step.source) {
    case DcLayoutStep::Source::Special:
        if (building())
            specialValue(step, width);
        break;
    case DcLayoutStep::Source::Table:
        tableValue(step);
        break;
    case DcLayoutStep::Source::Number:
        if (building())
            m_current = step.value;
        break;
    case DcLayoutStep::Source::Constant:
        if (building())
            m_current = QString::number(constant(step.value));
        break;
    }
}

void LayoutInterpreter::specialValue(const DcLayoutStep& step, int width) {
    m_logName = step.content;
    if (width > 4) {
        const auto text = m_specials->text(step.value);
        if (!text)
            fail(sprintf(QStringLiteral("the special symbol {*} is not found."), step.value));
        m_current = text->leftJustified(width, u' ', true);
        return;
    }
    const auto number = m_specials->number(step.value);
    if (!number)
        fail(sprintf(QStringLiteral("the special symbol {*} is not found or has no value."),
                     step.value));
    // The decimal digits stand as hexadecimal ones: the number goes as packed BCD.
    m_current = QStringLiteral("&H") + *number;
    if (!isNumberWidth(width))
        return;
    const auto bcd = packedBcd(*number, width);
    if (!bcd)
        fail(number->startsWith(u'-')
                 ? sprintf(QStringLiteral("{*} = {*} is negative: no packed BCD."), step.value,
                           *number)
                 : sprintf(QStringLiteral("{*} = {*} has more digits than {*} bytes hold."),
                           step.value, *number, width));
    m_presetField = *bcd;
}

void LayoutInterpreter::tableValue(const DcLayoutStep& step) {
    if (step.moves) {
        const int next = m_rows.next(step.cls, step.varGroup, m_counter == 0 ? -1 : m_cursor);
        if (next < 0)
            fail(step.cls.compare(QLatin1String("PARAMETER"), Qt::CaseInsensitive) == 0
                     ? sprintf(QStringLiteral("no further symbol of class {*} in group {*}."),
                               step.cls, step.varGroup)
                     : sprintf(QStringLiteral("no further symbol of class {*}."), step.cls));
        m_cursor = next;
    }
    m_currentValue = m_rows.value(m_cursor, step.column);
    m_current = m_currentValue.toString();
    m_logName = m_rows.name(m_cursor);
}

void LayoutInterpreter::writeField(const DcLayoutStep& step, int width, qint32 address) {
    if (!m_presetField.isEmpty()) {
        writeBytes(m_presetField, address);
        return;
    }
    if (!isNumberWidth(width)) {
        const auto text = textField(m_current, width);
        if (!text)
            fail(
                m_current.size() < width
                    ? sprintf(QStringLiteral("the text '{*}' is shorter than its {*} characters."),
                              m_current, width)
                    : sprintf(QStringLiteral("the text '{*}' has a character of no one-byte code."),
                              m_current));
        writeBytes(*text, address);
        return;
    }
    if (m_current.isEmpty())
        fail(QStringLiteral("the value is empty."));
    const auto value = currentNumber();
    if (!value)
        fail(sprintf(QStringLiteral("'{*}' is no number of 32 bits."), m_current));
    if (width == 1 && *value < -256)
        fail(sprintf(QStringLiteral("{*} does not fit its byte."), *value));
    const QByteArray field = numberField(*value, width);
    const bool fits = fitsField(*value, width);
    if (!fits)
        warn(sprintf(
            QStringLiteral("step {*}: {*} = {*} does not fit {*} byte(s) and is stored as {*}."),
            step.step, m_logName.isEmpty() ? step.content : m_logName, m_current, width,
            QString::fromLatin1(field.toHex(' ').toUpper())));
    if (step.source == DcLayoutStep::Source::Table)
        m_readBack->field(m_cursor, step.column, field, step.step,
                          fits ? std::optional<qint64>(*value) : std::nullopt);
    writeBytes(field, address);
}

void LayoutInterpreter::readField(const DcLayoutStep& step, int width, qint32 address) {
    if (qint64(address) + width > m_image.bytes.size())
        fail(
            sprintf(QStringLiteral("the image ends at byte {*}; the field needs bytes {*} to {*}."),
                    m_image.bytes.size(), address, qint64(address) + width - 1));
    const QByteArray field = m_image.bytes.mid(address, width);
    m_current = fieldText(field);
    if (step.source != DcLayoutStep::Source::Table)
        return;
    if (isNumberWidth(width))
        m_readBack->field(m_cursor, step.column, field, step.step, std::nullopt);
    else
        runPrepared(m_writeBack[size_t(step.column)],
                    {QString::fromLatin1(field), m_rows.key(m_cursor)});
}

std::optional<qint32> LayoutInterpreter::loopCount(const DcLayoutStep& step) const {
    if (m_counter != 0 || step.loops.isEmpty())
        return std::nullopt;
    const auto passes = numberFromText(step.loops) ? longFromText(step.loops)
                                                   : std::optional<qint32>(constant(step.loops));
    if (!passes || *passes < 0)
        fail(sprintf(QStringLiteral("the loop count {*} gives no pass."), step.loops));
    return passes;
}

int LayoutInterpreter::afterLoop(const DcLayoutStep& step, int index) {
    // A body run once for no symbol would write a record of none.
    for (int end = index; end < int(m_steps.size()); ++end) {
        const DcLayoutStep& last = m_steps[size_t(end)];
        if (last.goTo != step.step)
            continue;
        if (m_image.logSteps)
            m_image.stepLog << sprintf(
                QStringLiteral("{*}   {*}: loops {*}: steps {*} to {*} skipped"), step.step,
                step.content,
                numberFromText(step.loops) ? step.loops : step.loops + QStringLiteral(" = 0"),
                step.step, last.step);
        return end + 1;
    }
    fail(sprintf(QStringLiteral("the loop count {*} gives no pass, and no step ends the loop with "
                                "goto {*}."),
                 step.loops, step.step));
}

int LayoutInterpreter::nextIndex(const DcLayoutStep& step, int index) {
    if (step.goTo <= 0)
        return index + 1;
    if (m_counter == 0)
        fail(sprintf(QStringLiteral("goto {*} without a loop count."), step.goTo));
    if (--m_counter == 0)
        return index + 1;
    const auto target = m_lastIndexOfStep.constFind(step.goTo);
    if (target == m_lastIndexOfStep.cend())
        fail(sprintf(QStringLiteral("goto {*}: there is no step {*}."), step.goTo, step.goTo));
    return *target;
}

} // namespace pxu::dc
