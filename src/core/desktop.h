#pragma once

#include <QString>
#include <QStringList>
#include <QUrl>
#include <functional>

namespace pxu {

// What the program hands to the desktop: links and documents it opens, programs it
// starts. Tests put their own in to see what would have been opened.
using UrlOpener = std::function<bool(const QUrl& url)>;
using ProgramStarter = std::function<bool(const QString& program, const QStringList& arguments)>;

bool openUrl(const QUrl& url);
// Opens a file with the desktop's program for it. Without one a box names the file, so that
// the user knows where it is; false then.
bool openFileOrTell(const QString& file);
bool startProgram(const QString& program, const QStringList& arguments = {});

// An empty function restores the desktop's own (QDesktopServices, QProcess).
void setUrlOpener(UrlOpener opener);
void setProgramStarter(ProgramStarter starter);

} // namespace pxu
