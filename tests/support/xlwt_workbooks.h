#pragma once

#include <QtTest>

// The legacy workbooks (.xls) that the build writes with python3-xlwt: the tests' own and the
// sample signal list's twin. A build whose python3 lacks xlwt has none, and a test that reads
// them is skipped, saying why. The test's target defines PXU_HAVE_XLWT and PXU_NO_XLWT_REASON.
#define PXU_SKIP_WITHOUT_XLWT()                                                                    \
    do {                                                                                           \
        if (!PXU_HAVE_XLWT)                                                                        \
            QSKIP(PXU_NO_XLWT_REASON ": this build wrote no .xls workbooks with it");              \
    } while (false)
