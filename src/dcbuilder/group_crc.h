#pragma once

#include "dcdatabase/dc_job.h"
#include "dcdatabase/message_sink.h"

#include <QLatin1String>
#include <QString>
#include <array>

namespace pxu::dc {

// A parameter CRC group: its number in dcEnums' crcGroup and its name in the build's log.
struct CrcGroup {
    int number;
    QLatin1String name;
};
// The groups in the order the build computes them.
inline constexpr std::array<CrcGroup, 7> kCrcGroupsInBuildOrder{{
    {1, QLatin1String("BASIC")},
    {2, QLatin1String("USER")},
    {4, QLatin1String("IMO")},
    {5, QLatin1String("GLOBAL")},
    {6, QLatin1String("COMMIS")},
    {7, QLatin1String("LUB")},
    {3, QLatin1String("ADJUST")},
}};
inline constexpr int kImoCrcGroup = 4;

// The group's label in the log: its name and " Paras CRC", 20 characters with "= ".
QString crcGroupLabel(QLatin1String name);

// buildCrc: the CRC-16 over the values of the group's parameters (id order, each as 32
// bits, most significant byte first), stored in the group's CRC symbol (alias
// "DC_CRC_FIRST_GROUP" and the number) as 0 to 65535 when it holds another value, and
// logged. crc and length are set only when the group has parameters. An empty label
// becomes the symbol's name and " = ". A value that is no number fails the job.
void buildCrc(DcJob& job, int group, QString& label, qint32& crc, qint32& length,
              MessageSink& sink);

} // namespace pxu::dc
