#pragma once

#include "dc_image.h"
#include "dcdatabase/dc_job.h"
#include "dcdatabase/dc_schema.h"
#include "dcdatabase/message_sink.h"
#include "read_back.h"
#include "special_symbol_source.h"
#include "symbol_rows.h"

#include <QHash>
#include <QSqlQuery>
#include <QString>
#include <QVariant>
#include <optional>
#include <vector>

namespace pxu::dc {

// One row of a layout table (dcBinFile, alarmBinFile): one field of the image.
struct DcLayoutStep {
    qint64 step = 0;
    QString cls;
    QString varGroup;
    QString content;
    QString value;
    QVariant noOfBytes;
    QString loops;
    qint64 goTo = 0;

    // Where the value comes from, told by the value column.
    enum class Source { Special, Table, Number, Constant };
    Source source = Source::Constant;
    bool moves = false; // a "TABLE" step that moves on to the next symbol first
    int column = -1;    // a "TABLE" step's column among the loaded ones
};

// The layout interpreter: one pass over a layout table of a database on an open job. In
// build mode it writes the fields into the image from the symbol rows, numbers, constants
// and special symbols; in read mode it reads them from the image into the symbol rows.
// Every step that cannot be done fails the pass with a JobFailure that names the step.
class LayoutInterpreter {
public:
    // specials: the special symbols of a build; nullptr reads the image into the database.
    LayoutInterpreter(DcJob& job, DcImage& image, MessageSink& sink, SpecialSymbolSource* specials)
        : m_job(job)
        , m_image(image)
        , m_sink(sink)
        , m_specials(specials) {}

    // The pass over prefix + "BinFile" and prefix + "Enums" ("dc" or "alarm") from the
    // running address, which it leaves at the end of its part. A table without symbol rows
    // makes a pass that does nothing.
    void pass(const QString& prefix, qint32& address);

private:
    bool building() const { return m_specials != nullptr; }
    void load(const QString& prefix);
    void runStep(const DcLayoutStep& step, qint32& address);
    // The step's value (the current value); a packed-BCD number comes with its bytes.
    void takeValue(const DcLayoutStep& step, int width);
    void specialValue(const DcLayoutStep& step, int width);
    void tableValue(const DcLayoutStep& step);
    void writeBytes(const QByteArray& bytes, qint32 address);
    void writeField(const DcLayoutStep& step, int width, qint32 address);
    void readField(const DcLayoutStep& step, int width, qint32 address);
    // The passes of the loop that the step starts; nothing when it starts none.
    std::optional<qint32> loopCount(const DcLayoutStep& step) const;
    // The index after the body of the loop that the step starts, which runs no pass.
    int afterLoop(const DcLayoutStep& step, int index);
    // The index of the step to run next.
    int nextIndex(const DcLayoutStep& step, int index);
    qint32 constant(const QString& name) const;
    std::optional<qint32> currentNumber() const;
    [[noreturn]] void fail(const QString& why) const;
    void warn(const QString& text);

    DcJob& m_job;
    DcImage& m_image;
    MessageSink& m_sink;
    SpecialSymbolSource* m_specials;

    // What one pass works on, read at its start.
    QString m_symbolTable;
    std::vector<DcLayoutStep> m_steps;
    QHash<qint64, int> m_lastIndexOfStep;
    QStringList m_columns; // the columns of the "TABLE" steps, as the symbol table spells them
    QHash<QString, qint32> m_constants;
    SymbolRows m_rows;
    std::vector<QSqlQuery> m_writeBack; // read mode: one statement a column
    std::optional<ReadBack> m_readBack;

    // The state of the pass.
    const DcLayoutStep* m_step = nullptr;
    int m_cursor = 0;
    qint32 m_counter = 0;
    QString m_current;
    QVariant m_currentValue;  // a symbol column's value as the database holds it
    QByteArray m_presetField; // the packed BCD of a special number
    QString m_logName;
};

} // namespace pxu::dc
