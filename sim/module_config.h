#pragma once

#include <QByteArray>
#include <QtGlobal>

namespace pxu::sim {

// What a module is and how fast it answers. Changes take effect at once.
struct ModuleConfig {
    QByteArray deviceName; // 0x1008 of the application; empty: the bus's default
    QByteArray bootloaderDeviceName = "PXU-20 Bootloader";
    QByteArray hardwareVersion = "7";       // 0x1009
    QByteArray bootloaderVersion = "3.10";  // 0x100A of the bootloader
    QByteArray applicationVersion = "1.00"; // 0x100A of the application
    quint32 deviceType = 0x00000000;        // 0x1000
    quint32 vendorId = 0x000000A5;          // 0x1018
    quint32 productCode = 20;
    quint32 revision = 0x00030010;
    quint16 heartbeatMs = 1000;            // 0x1017; 0 sends none
    bool startOperational = true;          // after boot-up; false waits for NMT start
    qint64 answerDelayUs = 200;            // every SDO answer
    qint64 modeSwitchDelayUs = 100'000;    // from a 0x1F51 write to the boot-up
    qint64 flashProgrammingUs = 1'000'000; // loading status 127 lasts this long
    // A hardware info block written is programmed at once (0), or shows loading status 127
    // this long before it reports 1.
    qint64 hardwareBlockProgrammingUs = 0;
    quint8 flashDoneStatus = 255; // 255 or 0
    // Where sections may lie: bootloader 2 from its start, the others from the
    // application area on, everything below the end of flash.
    quint32 bootloader2Start = 0x10100;
    quint32 applicationAreaStart = 0x30000;
    quint32 flashEnd = 0x200000;
    int uploadChunk = 8192; // bytes per 0x1F50 read
};

// Fault switches of one module.
struct ModuleFaults {
    bool silent = false;      // neither answers nor sends anything, keeps its state
    bool noHeartbeat = false; // answers SDO but sends no heartbeat
    int abortOnBlock = 0;     // the n-th program-data block of a download is aborted
    int abortTimes = 0;       // downloads hit by that (0: every one)
    quint32 abortCode = 0x08000020;
    qint64 slowAnswerUs = 0;             // added to every SDO answer delay
    bool badCrc = false;                 // the data check after the last block fails
    bool statusStuck = false;            // loading status stays at 127 (also a hardware block's)
    int dataStatus = -1;                 // status after the last block instead (-1: as it should)
    int dataStatusTimes = 0;             // downloads hit by that (0: every one)
    int statusReadAborts = 0;            // the next n reads of the loading status are aborted
    int disappearAfterBlocks = 0;        // switched off after n blocks of a download; fires once
    bool oldBootloaderHeartbeat = false; // the bootloader also beats from node 0x71
    // Every sub-block of a block download is acknowledged one segment short (that segment
    // dropped), so the client has to send it again for ever.
    bool shortBlockAcknowledge = false;
};

} // namespace pxu::sim
