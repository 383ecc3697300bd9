#pragma once

#include <QString>

namespace pxu {

// The program's version (2.0.0.2 gives major 2, minor 0, revision 2): the application's
// version when it was set, else the build's.
struct ProgramVersion {
    int major = 0;
    int minor = 0;
    int revision = 0;
};
ProgramVersion programVersion();

// The program's title as its windows show it.
QString programTitle();
// The program's file name without its extension.
QString programBaseName();
// The folder the program is installed in: g_installDir when set, else the program's own.
QString programFolder();

} // namespace pxu
