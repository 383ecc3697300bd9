#pragma once

#include "dc_fixture.h"
#include "dcbuilder/dc_image.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

namespace pxu::test {

// A small plant for the layout interpreter: the GLB parameters PAR_A, PAR_C and PAR_D, the
// ENG parameter PAR_B, the variable GLB_X, a default row, the build number 123, the hull
// number "HULL-0815" and the engine type "ABC", the constants NO_OF_GLB (3) and THREE (3),
// and two alarms. layoutRows are the VALUES of
// dcBinFile (step, class, varGroup, content, value, noOfBytes, loops, goto).
QString smallPlant(DcFixture& fixture, const QString& layoutRows, const QString& sql = {});

// A copy of the sample plant as the builder's first opening leaves it: its layout's plant
// and software information steps name their aliases, the dead band is 1. Then the
// statements.
QString builderSamplePlant(DcFixture& fixture, const QString& name, const QString& sql = {});
// The sample plant's application and FPGA files ("PXU_application.s19", "PXU_FPGA.S19")
// into the folder.
void copySampleLoadFiles(const QString& folder);

// What one interpreter pass did.
struct PassOutcome {
    bool ok = false;
    QByteArray bytes;
    qint32 address = 0;
    QStringList lines;
};

// One pass from the address over the image (in read mode, the bytes to read).
PassOutcome runPass(const QString& database, bool build, const QString& prefix, qint32 address,
                    const QByteArray& image = {}, bool logSteps = false);

// The bytes written as hexadecimal pairs, "00 12 34".
QByteArray hexBytes(const char* pairs);

} // namespace pxu::test
