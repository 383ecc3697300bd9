#include "schema_version.h"

#include "core/program_info.h"
#include "core/sprintf.h"
#include "core/vb_val.h"

#include <QStringList>

namespace pxu::dc {

DcSchemaVersion DcSchemaVersion::parse(const QString& text) {
    const QStringList parts = text.split(u'.');
    const auto part = [&](int i) { return i < parts.size() ? int(vbVal(parts[i])) : 0; };
    return {part(0), part(1), part(2)};
}

QString DcSchemaVersion::text() const {
    return sprintf(QStringLiteral("{*}.{*}.{*}"), major, minor, revision);
}

DcSchemaVersion programSchemaVersion() {
    const ProgramVersion v = programVersion();
    return {v.major, v.minor, v.revision};
}

} // namespace pxu::dc
