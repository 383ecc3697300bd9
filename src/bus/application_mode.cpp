#include "application_mode.h"

#include "auto_download.h"
#include "can_open_master.h"
#include "connection_status.h"
#include "core/error_boundary.h"
#include "core/globals.h"
#include "core/srecord_file.h"
#include "section_numbers.h"

#include <QFile>
#include <QTextStream>
#include <algorithm>

namespace pxu::modApplicationMode {

namespace {

constexpr const char* kObject = "modApplicationMode";

// The module's identification: its application's device name, or the ID of the
// application's info block when only the bootloader answers.
struct Answer {
    qint32 type = applTypeNoModule;
    QString identification;
};

QString textOf(const QByteArray& bytes) {
    QString text;
    for (const char c : bytes) {
        if (quint8(c) > 0)
            text += QChar::fromLatin1(c);
    }
    return text;
}

std::optional<Answer> askModule(int module) {
    CanOpenMaster& master = frmCANopen();
    qint32 size = 0;
    QByteArray data;
    if (master.g_readSDO(quint8(g_cobIdApplication + module), 0x1008, 0, size, data, false, true))
        return Answer{applTypeZent, textOf(data)};
    data.clear();
    if (master.g_readSDO(quint8(g_cobIdBootloader + module), kInfoBlockObject, sectionApplication,
                         size, data, false, true))
        return Answer{applTypeNone, textOf(data.mid(4, 8))};
    return std::nullopt;
}

// The first module that answers, asked from module 0 up (on the M-Bus module 0 only).
std::optional<Answer> firstAnswer() {
    const int last = g_mBusMode ? 0 : kModuleCount - 1;
    std::optional<Answer> answer;
    for (int m = 0; m <= last && !answer; ++m)
        answer = askModule(m);
    return answer;
}

} // namespace

qint32 applTypeOfIdentification(const QString& identification, qint32 fallback) {
    if (identification.startsWith(QLatin1String("ZENT-6183")) ||
        identification.startsWith(QLatin1String("ZENT")))
        return applTypeZent;
    if (identification.startsWith(QLatin1String("DORN")))
        return applTypeDorn;
    if (identification.startsWith(QLatin1String("LORX")))
        return applTypeLorx;
    return fallback;
}

qint32 g_checkAppConnectionType() {
    qint32 result = applTypeNoModule;
    guarded(kObject, "g_checkAppConnectionType", [&] {
        if (frmCANopen().g_noCan())
            return;
        if (g_KEVMode) {
            result = applTypeKev;
            return;
        }
        if (g_TOQMode) {
            result = applTypeToq;
            return;
        }
        const std::optional<Answer> answer = firstAnswer();
        if (!answer)
            return;
        result = applTypeOfIdentification(answer->identification, answer->type);
        if (g_mBusMode)
            modAutoDownload::g_checkMBusModuleID(modConnectionStatus::g_getModuleStatus(0) ==
                                                 moduleBootloaderRunning);
    });
    return result;
}

bool anyModuleAnswers() {
    bool answers = false;
    guarded(kObject, "anyModuleAnswers",
            [&] { answers = !frmCANopen().g_noCan() && firstAnswer().has_value(); });
    return answers;
}

qint32 g_checkAppFileType(const QString& fileName) {
    qint32 result = applTypeZent;
    guarded(kObject, "g_checkAppFileType", [&] {
        if (g_KEVMode) {
            result = applTypeKev;
            return;
        }
        if (g_TOQMode) {
            result = applTypeToq;
            return;
        }
        QByteArray image;
        qint32 start = 0;
        if (!g_sRecToBin(fileName, image, start))
            return;
        const std::pair<const char*, qint32> codes[] = {
            {"ZENT-6183", applTypeZent}, {"DORN", applTypeDorn}, {"LORX", applTypeLorx}};
        for (const auto& [code, type] : codes) {
            if (image.contains(code)) {
                result = type;
                return;
            }
        }
    });
    return result;
}

qint32 g_getApplStartAddr(const QString& fileName) {
    qint32 address = 0;
    guarded(kObject, "g_getApplStartAddr", [&] {
        QFile file(fileName);
        if (fileName.isEmpty() || !file.open(QIODevice::ReadOnly | QIODevice::Text))
            return;
        QTextStream in(&file);
        in.readLine();
        const QString second = in.readLine();
        // A file of one line, or one whose data does not start with an S2 record, has no
        // address to give.
        if (!second.startsWith(QLatin1String("S2")) || second.size() < 10)
            return;
        const QString field = second.mid(4, 6);
        bool ok = std::all_of(field.begin(), field.end(), [](QChar c) {
            return c.isDigit() || (c.toUpper() >= u'A' && c.toUpper() <= u'F');
        });
        if (ok)
            address = field.toInt(&ok, 16);
    });
    return address;
}

} // namespace pxu::modApplicationMode
