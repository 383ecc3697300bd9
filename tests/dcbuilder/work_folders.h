#pragma once

#include "dc_fixture.h"

#include <QString>

namespace pxu::test {

// The program's folders inside a fixture's folder: the working folder "work" (also the
// project folder of the data-container databases), its "Upload" folder, and the templates
// "PXU_Templates" beside it. Set as the program-wide folders for the object's lifetime.
struct WorkFolders {
    explicit WorkFolders(DcFixture& fixture);
    ~WorkFolders();
    WorkFolders(const WorkFolders&) = delete;
    WorkFolders& operator=(const WorkFolders&) = delete;

    QString work;
    QString upload;
    QString templates;
};

} // namespace pxu::test
