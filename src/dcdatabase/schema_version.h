#pragma once

#include <QString>

namespace pxu::dc {

// A schema version of a data-container database: major, minor and revision, written
// "2.0.2" and compared number by number.
struct DcSchemaVersion {
    int major = 0;
    int minor = 0;
    int revision = 0;

    // Each part read as a number from its text; missing parts count 0.
    static DcSchemaVersion parse(const QString& text);
    QString text() const;
    auto operator<=>(const DcSchemaVersion&) const = default;
};

// The program's own schema version: its major, minor and revision numbers.
DcSchemaVersion programSchemaVersion();

// The version of a ledger just created, and the step between the old schema and the
// program's (an intermediate step, never a newer program).
inline const QString kSchemaCreated = QStringLiteral("0.0.0");
inline const QString kSchemaIntermediate = QStringLiteral("4.4.4");

} // namespace pxu::dc
