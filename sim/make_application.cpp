// pxu-make-appl: writes an application S19 whose CRC-32 ends in given 16 bits, so that a
// build map keyed by "0x" and the CRC's last four hexadecimal digits knows it.
#include "application_image.h"

#include <QCoreApplication>
#include <QFile>
#include <QSaveFile>
#include <cstdio>

namespace {

bool number(const QString& text, quint32& value) {
    bool ok = false;
    const qulonglong v = text.toULongLong(&ok, 0);
    value = quint32(v);
    return ok && v <= 0xFFFFFFFFull;
}

} // namespace

int main(int argc, char* argv[]) {
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments().mid(1);
    quint32 crc = 0;
    quint32 start = 0x100000;
    quint32 size = 0x4000;
    quint32 seed = 0;
    if (args.size() < 2 || args.size() > 5 || !number(args[1], crc) || crc > 0xFFFF ||
        (args.size() > 2 && !number(args[2], start)) ||
        (args.size() > 3 && (!number(args[3], size) || size < 3 || size > 0x100000)) ||
        (args.size() > 4 && !number(args[4], seed)) || quint64(start) + size > 0x1000000) {
        std::fputs("Usage: pxu-make-appl FILE CRC16 [START [SIZE [SEED]]]\n"
                   "Writes SIZE bytes (default 0x4000) of application code from START\n"
                   "(default 0x100000, below 0x1000000 with the code) as S2 records to FILE;\n"
                   "the code's CRC-32 ends in CRC16.\n",
                   stderr);
        return 2;
    }
    QSaveFile out(args[0]);
    const QByteArray text =
        pxu::sim::s28Records(pxu::sim::applicationImage(int(size), quint16(crc), seed), start);
    if (!out.open(QIODevice::WriteOnly) || out.write(text) != text.size() || !out.commit()) {
        std::fprintf(stderr, "pxu-make-appl: %s: %s\n", qPrintable(args[0]),
                     qPrintable(out.errorString()));
        return 1;
    }
    return 0;
}
