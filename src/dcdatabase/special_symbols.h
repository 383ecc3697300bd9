#pragma once

#include "dc_job.h"
#include "message_sink.h"
#include "pending_aliases.h"

#include <QLatin1String>
#include <QString>
#include <QStringList>

namespace pxu::dc {

// Aliases of the plant and software information symbols; the configuration database
// maps each to the control software's symbol name. Names ending in "_" are text symbols.
namespace alias {
inline constexpr QLatin1String engineType{"DC_SWINFO_ENGINE_TYPE_"};
inline constexpr QLatin1String hullNo{"DC_SWINFO_HULL_NO_"};
inline constexpr QLatin1String manufacNo{"DC_SWINFO_MANUFAC_NO_"};
inline constexpr QLatin1String epiDbNo{"DC_SWINFO_EPI_DB_NO_"};
inline constexpr QLatin1String imoSwNo{"DC_SWINFO_IMO_SW_NO_"};
inline constexpr QLatin1String swVersion{"DC_SWINFO_SW_VERSION"};
inline constexpr QLatin1String build{"DC_SWINFO_BUILD"};
inline constexpr QLatin1String developerNo{"DC_SWINFO_DEVELOPER_NO"};
inline constexpr QLatin1String bootloaderVersion{"DC_SWINFO_BOOTLOADER_VERSION"};
inline constexpr QLatin1String crcFirstApplication{"DC_CRC_FIRST_APPLICATION"};
// Followed by the parameter group's number, 1 to 7.
inline constexpr QLatin1String crcFirstGroup{"DC_CRC_FIRST_GROUP"};
// Every alias of the layout tables begins so.
inline constexpr QLatin1String prefix{"DC_"};
} // namespace alias

// What setSwInfos could not find, so that the builder lets the user type it.
struct SwInfoOutcome {
    bool swVersionFound = true;
    bool developerNoFound = true;
};

// The plant and software information of a data-container database: special symbols in
// dcEnums under the names the configuration gives their aliases (a number in the value of
// the symbol's row, a text four characters a row in the rows of the symbol's name followed
// by 1 to 8), and the data-container version in the layout table. Works on the rows of an
// open job, so that what it writes commits or rolls back with the job; log lines go to the
// sink. Aliases the job has entered but not yet written to the configuration (pending) are
// found too.
class SpecialSymbols {
public:
    SpecialSymbols(DcJob& job, MessageSink& sink, const PendingAliases* pending = nullptr)
        : m_job(job)
        , m_sink(sink)
        , m_pending(pending) {}

    // getSpecialDcStringValue: the text of a text symbol, empty when it has no rows.
    // capacity: the characters the symbol stores, four a row (0 without rows).
    QString getString(const QString& alias, int* capacity = nullptr);
    // getSpecialDcLongValue: the number of a number symbol through the format; empty
    // when the symbol is missing.
    QString getLong(const QString& alias, const QString& format);
    // setSpecialDcStringValue. All rows are checked before any is written; a text longer
    // than the symbol's rows hold is stored cut, and the log says so. An empty label
    // becomes the symbol's name and " = ".
    void setString(const QString& value, const QString& alias, QString& label);
    // setSpecialDcLongValue: value is the number's text.
    void setLong(const QString& value, const QString& alias, QString& label, const QString& format,
                 bool showHex);

    // g_copyPlantInfosToDcEnums: the old table plantInfo into the symbols. False when the
    // table is missing or has no row (nothing is logged or written then). An empty field
    // leaves its symbol as it is, with a line that names the field.
    bool copyPlantInfos();
    // The lines of the empty fields the copy met.
    const QStringList& emptyPlantInfoFields() const { return m_emptyFields; }
    // Software version and developer number from the scanned constants, and the CRC of
    // the application file in the source folder.
    SwInfoOutcome setSwInfos(const QString& sourceFolder);
    // The data-container version of the scanned constants into the layout table.
    void setDcVersion();

    // A setter wrote a row.
    bool changed() const { return m_changed; }

private:
    bool symbolTableUsable();
    QString symbolOf(const QString& alias);

    DcJob& m_job;
    MessageSink& m_sink;
    const PendingAliases* m_pending;
    bool m_changed = false;
    QStringList m_emptyFields;
};

} // namespace pxu::dc
