#include "memory_pages.h"

#if defined(Q_OS_LINUX)
#include <sys/mman.h>
#include <unistd.h>
#endif

namespace pxu {

void adviseHugePages(char* begin, qsizetype size) {
#if defined(Q_OS_LINUX) && defined(MADV_HUGEPAGE)
    static const quintptr page = quintptr(sysconf(_SC_PAGESIZE));
    const quintptr from = (quintptr(begin) + page - 1) & ~(page - 1);
    const quintptr to = (quintptr(begin) + quintptr(size)) & ~(page - 1);
    if (to > from)
        madvise(reinterpret_cast<void*>(from), to - from, MADV_HUGEPAGE);
#else
    Q_UNUSED(begin);
    Q_UNUSED(size);
#endif
}

} // namespace pxu
