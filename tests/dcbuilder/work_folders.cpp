#include "work_folders.h"

#include "core/globals.h"

#include <QDir>

namespace pxu::test {

WorkFolders::WorkFolders(DcFixture& fixture)
    : work(fixture.path(QStringLiteral("work")))
    , upload(fixture.path(QStringLiteral("work/Upload")))
    , templates(fixture.path(QStringLiteral("PXU_Templates"))) {
    QDir().mkpath(upload);
    g_workDir = work;
    g_uploadDir = upload;
}

WorkFolders::~WorkFolders() {
    g_workDir.clear();
    g_uploadDir.clear();
}

} // namespace pxu::test
