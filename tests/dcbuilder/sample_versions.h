#pragma once

#include "dc_fixture.h"
#include "support/scripted_dialogs.h"

#include <QString>

namespace pxu::test {

// Versions 001 to count of the sample plant in the fixture's folder, on the program's
// schema as the builder's first opening leaves them; the path of 001. The test's dialogs
// answer the schema update's question and then forget it.
QString currentSampleVersions(DcFixture& fixture, ScriptedDialogs& dialogs, int count = 1);

} // namespace pxu::test
