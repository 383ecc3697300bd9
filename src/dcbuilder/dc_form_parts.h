#pragma once

#include <functional>

class QLabel;
class QProgressBar;
class QPushButton;
class QString;

namespace pxu {

class MessageList;
class MessageListView;
class RefreshThrottle;

// Controls that the builder's and the reconstruction's windows share.

// The log list (lstMessage): the lines in Courier New, wide enough for a job's banner
// without a scroll bar; a longer line scrolls the list sideways.
MessageListView* makeLogListView(MessageList& messages);
// The progress bar (prgProgress) and how it shows a progress of 0 to 1.
QProgressBar* makeProgressBar();
void showProgress(QProgressBar& bar, double progress);
// A refresh of the bar from progress(), run as often as the throttle (owned by the bar)
// lets it: a job that reports each symbol does not wait for the bar to paint each step.
RefreshThrottle* followProgress(QProgressBar& bar, std::function<double()> progress);
// A framed, selectable text of several lines that names the files a tab works on.
QLabel* makeDocumentation(const char* name);
// A button that starts one of the window's jobs.
QPushButton* makeJobButton(const QString& caption, const char* name);

} // namespace pxu
