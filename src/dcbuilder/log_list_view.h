#pragma once

class QListView;

namespace pxu {

class MessageList;

// The log list of a data-container window (lstMessage): the lines in Courier New, wide
// enough for a job's banner without a scroll bar, read-only.
QListView* makeLogListView(MessageList& messages);

} // namespace pxu
