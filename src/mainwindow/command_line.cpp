#include "command_line.h"

namespace pxu {

CommandLine CommandLine::parse(const QStringList& arguments) {
    static const QString dbSwitch = QStringLiteral("/db=");
    CommandLine line;
    for (const QString& argument : arguments) {
        if (argument == QLatin1String("/noCan"))
            line.noCan = true;
        else if (argument == QLatin1String("/debug"))
            line.debug = true;
        else if (argument == QLatin1String("/KEV"))
            line.kev = true;
        else if (argument == QLatin1String("/TOQ"))
            line.toq = true;
        else if (argument == QLatin1String("/PXU"))
            line.pxu = true;
        else if (argument == QLatin1String("/develop"))
            line.develop = true;
        else if (argument == QLatin1String("/IDE"))
            line.ide = true;
        else if (argument.startsWith(dbSwitch) && !line.db)
            line.db = argument.mid(dbSwitch.size()).trimmed();
    }
    return line;
}

} // namespace pxu
