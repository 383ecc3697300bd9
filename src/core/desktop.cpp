#include "desktop.h"

#include <QDesktopServices>
#include <QProcess>

namespace pxu {

namespace {
UrlOpener g_opener;
ProgramStarter g_starter;
} // namespace

bool openUrl(const QUrl& url) {
    return g_opener ? g_opener(url) : QDesktopServices::openUrl(url);
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
