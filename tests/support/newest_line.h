#pragma once

#include "core/message_list.h"
#include "core/message_list_view.h"

namespace pxu::test {

// What the user sees of a message list: its view holds every line, the last one is the
// current line, and that line lies in full sight in the view's viewport.
inline bool showsNewestLine(const MessageListView& view) {
    const auto* messages = qobject_cast<const MessageList*>(view.model());
    if (!messages)
        return false;
    const int newest = messages->count() - 1;
    if (view.model()->rowCount() != newest + 1 || view.currentIndex().row() != newest)
        return false;
    if (newest < 0)
        return true;
    const QRect last = view.visualRect(view.currentIndex());
    return view.isVisible() &&
           view.viewport()->rect().contains(QRect(0, last.top(), 1, last.height()));
}

} // namespace pxu::test
