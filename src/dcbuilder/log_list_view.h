#pragma once

class QListView;

namespace pxu {

class MessageList;

// The log list of a data-container window (lstMessage): the lines in Courier New, wide
// enough for a job's banner without a scroll bar, read-only.
QListView* makeLogListView(MessageList& messages);
// Selects the current (last) line and shows it at once, even while a job runs.
void showCurrentLine(QListView& view, MessageList& messages);

} // namespace pxu
