#include "sample_versions.h"

#include "dcdatabase/schema_migration.h"

#include <QFile>

namespace pxu::test {

QString currentSampleVersions(DcFixture& fixture, ScriptedDialogs& dialogs, int count) {
    const QString first = fixture.samplePlant(DcFixture::versionName(1));
    bool changed = false;
    if (!dc::g_updateDatabase(first, changed, nullptr))
        qFatal("cannot bring the sample plant to the program's schema");
    dialogs.clear();
    for (int n = 2; n <= count; ++n) {
        if (!QFile::copy(first, fixture.path(DcFixture::versionName(n))))
            qFatal("cannot copy the sample plant");
    }
    return first;
}

} // namespace pxu::test
