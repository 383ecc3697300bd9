#pragma once

#include "command_line.h"

#include <QString>
#include <QStringList>

namespace pxu {

// The folders start-up works from; fromProcess() gives the running program's.
struct StartFolders {
    QString programDir;        // the program's own folder
    QString defaultInstallDir; // used when no "/db=" folder is given
    QString ideRoot;           // below it "/IDE" finds a plain "/db=" folder name

    static StartFolders fromProcess();
};

// Where the configuration database and the working folders are.
struct ConfigLocation {
    QString toolName;
    QString installDir; // ends in "/"
    QString configDbPath;
    QString workDir;
    QString uploadDir;
};

// Tool name, folders and configuration path from the switches.
ConfigLocation locateConfigDatabase(const CommandLine& line, const StartFolders& folders);

// Deletes each file of the folder that matches the pattern (in any letter case), once.
// Returns the names of those that could not be deleted.
QStringList deleteMatchingFiles(const QString& folder, const QString& pattern);

} // namespace pxu
