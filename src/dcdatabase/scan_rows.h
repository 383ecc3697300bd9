#pragma once

#include "dc_schema.h"

#include <QString>
#include <QVariant>
#include <array>
#include <unordered_map>
#include <vector>

namespace pxu::dc {

// One row of sourceScan as a header scan builds it. A null fupId, comment or varGroup is a
// column the scan did not write.
struct ScanRow {
    QString name;
    qint64 id = 0;
    QString cls = QString(cls::unclassified);
    QVariant fupId;
    QVariant comment;
    QVariant varGroup;
    int sourceLine = 0;
    int upDate = upDateNew;
    // Not stored: where the row was scanned (sourceLine cannot tell the files apart), and
    // whether it is a #define constant rather than an enumeration member.
    QString file;
    int line = 0;
    bool fromDefine = false;
};

// The rows of one scan in the order they were written. The first row of a name is found
// through a hash, letter case ignored as the database compares names.
class ScanRows {
public:
    void add(ScanRow row);
    // The first row of that name; nullptr when there is none.
    ScanRow* findName(const QString& name);
    std::vector<ScanRow>& rows() { return m_rows; }
    const std::vector<ScanRow>& rows() const { return m_rows; }

private:
    std::vector<ScanRow> m_rows;
    std::unordered_map<QString, size_t> m_firstByName;
};

// The header files of a scan in the order they are read, each with the number its line
// numbers start from in sourceLine.
struct HeaderFile {
    QLatin1String name;
    int linePreset;
};
inline constexpr std::array<HeaderFile, 3> kHeaderFiles{
    HeaderFile{QLatin1String("global.h"), 10000}, HeaderFile{QLatin1String("library.h"), 20000},
    HeaderFile{QLatin1String("dataContainer.h"), 0}};

// Whether two class names are the same, letter case ignored as the database compares them.
bool sameClass(const QString& cls, QLatin1String other);
// PARAMETER, VARIABLE or ALARM: the classes a scan compares and reports.
bool isSymbolClass(const QString& cls);

// Where a row was scanned: "global.h, line 12".
QString headerLocation(const ScanRow& row);

} // namespace pxu::dc
