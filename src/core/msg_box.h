#pragma once

#include "error.h"

#include <QString>
#include <optional>

namespace pxu {

// The program's modal boxes. With hideMessageWindow set, a visible message window
// (frmMessage2) is hidden for the time of the box and shown again afterwards.
bool g_questionMsgBox(const QString& text, const QString& title = {},
                      bool hideMessageWindow = false);
void g_informationMsgBox(const QString& text, const QString& title = {},
                         bool hideMessageWindow = false);
// buttons: the platform's button set value (0 OK, 1 OK and Cancel, ...); True on OK.
bool g_warningMsgBox(const QString& text, const QString& title = {}, bool hideMessageWindow = false,
                     int buttons = 0);
void g_errorMsgBox(const QString& text, const QString& title = {}, bool hideMessageWindow = false);
// pending: the failure the caller is handling, if any.
void g_errMsgBox(const QString& text, const QString& title = {},
                 const std::optional<Failure>& pending = std::nullopt);

// Shows the text in the message window as an information with OK, closing by itself
// after autoCloseMs (0: stays).
void g_informationMsgBox2(const QString& text, const QString& title = {}, bool modal = false,
                          int autoCloseMs = 0);

// Tells whether a top-level window of that object name exists (and is visible, unless
// evenIfHidden). secondName, when not empty, must equal the window's title.
bool g_isLoaded(const QString& formName, const QString& secondName = {}, bool evenIfHidden = false);

} // namespace pxu
