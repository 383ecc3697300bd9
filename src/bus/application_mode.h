#pragma once

#include <QString>
#include <QtGlobal>

// Which installation the tool is in front of (ApplType, core/globals.h): from the
// connected modules and from an application load file.
namespace pxu::modApplicationMode {

// Asks the modules 0 to 14 (on the M-Bus module 0 only) for their device name, or,
// where only a bootloader answers, for the ID of their application's info block. 4 when
// nobody answers (and always without a bus); 6 and 7 for the KEV and TOQ types.
qint32 g_checkAppConnectionType();
// Whether any module answers on the open bus, asked as above; False without a bus.
bool anyModuleAnswers();
// The first code ("ZENT-6183", "DORN", "LORX") found anywhere in the file's image; 0 for
// none or an unreadable file.
qint32 g_checkAppFileType(const QString& fileName);
// The address field of the file's second line, an S2 record; 0 when the file cannot be
// opened or its second line is no S2 record.
qint32 g_getApplStartAddr(const QString& fileName);

// The application type an identification text begins with; otherwise fallback.
qint32 applTypeOfIdentification(const QString& identification, qint32 fallback);

} // namespace pxu::modApplicationMode
