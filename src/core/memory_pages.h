#pragma once

#include <QtGlobal>

namespace pxu {

// Asks the system to back [begin, begin + size) with huge pages where it can: filling many
// megabytes then costs a page fault per 2 MiB instead of one per 4 KiB, which matters where
// a page fault is slow, as on some virtual machines. Only whole huge pages inside the range
// are taken, so no memory beyond it becomes resident. Nothing changes where the system
// has no such pages.
void adviseHugePages(char* begin, qsizetype size);

} // namespace pxu
