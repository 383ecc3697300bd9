#include "generated_headers.h"

#include <QFile>
#include <QStringList>
#include <algorithm>

namespace pxu::bench {

namespace {

struct Members {
    QStringList lines;
    int symbols = 0;
};

// Members of an enumeration: one line each.
Members members(const QString& prefix, int firstId, int count, int fup, bool arrays = true) {
    Members m;
    int id = firstId;
    for (int i = 0; m.symbols < count; ++i) {
        const bool array = arrays && i % 10 == 9 && count - m.symbols >= 5;
        m.lines << QStringLiteral("   %1_%2 = %3, // %4.%5; Generated symbol %2%6")
                       .arg(prefix)
                       .arg(i)
                       .arg(id)
                       .arg(fup)
                       .arg(i % 100)
                       .arg(array ? QStringLiteral(" * n") : QString());
        const int length = array ? 5 : 1;
        id += length;
        m.symbols += length;
    }
    return m;
}

QString enumeration(const QString& section, const QString& group, int firstId, const Members& m) {
    return QStringLiteral(
               "// scanStart: %1\ntypedef enum\n{\n   FIRST_%2 = %3,\n%4\n   LAST_%2,\n} "
               "gen_t;\n// scanEnd\n")
        .arg(section, group)
        .arg(firstId - 1)
        .arg(m.lines.join(u'\n'));
}

void write(const QString& path, const QString& text) {
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(text.toLatin1()) < 0)
        qFatal("cannot write %s", qPrintable(path));
}

} // namespace

// Half the variables in global.h, half in dataContainer.h. The groups' id ranges lie apart,
// as their markers pair up in the order of their ids.
void writeGeneratedHeaders(const QString& folder, int symbols) {
    const int parameters = std::min(symbols / 10, 1000);
    const int alarms = symbols / 10;
    const int variables = symbols - parameters - alarms;
    QString global = QStringLiteral("// scanStart: global constants\n#define GEN_K_0 1\n");
    for (int i = 1; i < symbols / 40; ++i)
        global += QStringLiteral("#define GEN_K_%1 GEN_K_%2 + 0x10\n").arg(i).arg(i - 1);
    global += QStringLiteral("// scanEnd\n");
    global += enumeration(QStringLiteral("global variables"), QStringLiteral("GEN_VARIABLE"),
                          1000000, members(QStringLiteral("GEN_VAR"), 1000000, variables / 2, 20));
    write(folder + QStringLiteral("/global.h"), global);
    write(folder + QStringLiteral("/library.h"),
          enumeration(QStringLiteral("alarms"), QStringLiteral("ALARM"), 500000,
                      members(QStringLiteral("GEN_ALM"), 500000, alarms, 30, false)));
    write(folder + QStringLiteral("/dataContainer.h"),
          QStringLiteral("// scanStart: global constants\n#define APPL_VERSION 3\n"
                         "#define APPL_DEVELOPER_NO 1305\n#define DAT_DC_VERSION 7\n"
                         "// scanEnd\n") +
              enumeration(QStringLiteral("global parameters"), QStringLiteral("GEN_PARAMETER"),
                          1024, members(QStringLiteral("GEN_PAR"), 1024, parameters, 1)) +
              enumeration(QStringLiteral("global variables"), QStringLiteral("GLB_VARIABLE"), 2048,
                          members(QStringLiteral("GLB_VAR"), 2048, variables - variables / 2, 10)));
}

} // namespace pxu::bench
