#pragma once

#include <QString>
#include <QStringList>
#include <optional>

namespace pxu {

// The program's switches. Each is matched as a whole argument, case-sensitively, wherever
// it stands; "/db=" takes the rest of its argument (the first such argument counts).
struct CommandLine {
    bool noCan = false;
    bool debug = false;
    bool kev = false;
    bool toq = false;
    bool pxu = false; // the full loader for the PXU type (without "/KEV" or "/TOQ")
    bool develop = false;
    bool ide = false;
    std::optional<QString> db; // trimmed

    // The arguments after the program's name.
    static CommandLine parse(const QStringList& arguments);
};

} // namespace pxu
