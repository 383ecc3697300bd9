#include "desktop.h"

#include "msg_box.h"

#include <QDesktopServices>
#include <QDir>
#include <QProcess>

namespace pxu {

namespace {
UrlOpener g_opener;
ProgramStarter g_starter;
} // namespace

bool openUrl(const QUrl& url) {
    return g_opener ? g_opener(url) : QDesktopServices::openUrl(url);
}

bool openFileOrTell(const QString& file) {
    if (openUrl(QUrl::fromLocalFile(file)))
        return true;
    g_informationMsgBox(QStringLiteral("The desktop has no program to open the file:\r\n") +
                        QDir::toNativeSeparators(file));
    return false;
}

bool startProgram(const QString& program, const QStringList& arguments) {
    return g_starter ? g_starter(program, arguments) : QProcess::startDetached(program, arguments);
}

void setUrlOpener(UrlOpener opener) {
    g_opener = std::move(opener);
}

void setProgramStarter(ProgramStarter starter) {
    g_starter = std::move(starter);
}

} // namespace pxu
