#pragma once

#include "module_states.h"

#include <QByteArray>
#include <QtGlobal>
#include <array>
#include <optional>

// The values of the auto-download variables, as the spare module sends them and the tool
// writes them (four bytes, little-endian words).
namespace pxu::modAutoDownload {

// Bit n of the 16-bit little-endian word formed by two bytes.
bool readSingleModule(int bit, quint8 low, quint8 high);

// The commands of the auto-download master.
enum AdlCommand : int {
    adlStartBootloader = 0,
    adlStartApplication = 1,
    adlDownloadSection = 2,
    adlAbort = 3,
    adlUnused = 4,
    adlClear = 5,
};

// The command word written to GLB_CAN_MODULE_STATE_RW: module mask (low, high), command
// word (low, high). Nothing for a command outside 0 to 5, or for a download of a section
// other than 3, 4, 6 and 7.
struct AdlCommandValue {
    enum class Error { None, InvalidCommand, InvalidSection };
    static std::optional<quint16> word(int command, int section, Error* error = nullptr);
    static std::optional<QByteArray> encode(int command, quint16 mask, int section,
                                            Error* error = nullptr);
};

// GLB_CAN_MODULE_STATE_RO: application mask in bytes 0-1, bootloader mask in bytes 2-3;
// the application bit wins.
struct AdlModuleState {
    std::array<bool, kModuleCount> application{};
    std::array<bool, kModuleCount> bootloader{};
    static AdlModuleState decode(const QByteArray& value);
    qint32 status(int module) const;
};

// GLB_CAN_MODULE_STATE_RW as the module echoes it: a command is pending while the
// command word (bytes 2-3) is not 0.
bool adlCommandPending(const QByteArray& value);
// The command word of such a value (bytes 2-3).
quint16 adlCommandWord(const QByteArray& value);

// GLB_CAN_SW_UPDATE_STATE_RO.
struct AdlUpdateStatus {
    int updateModule = 0; // byte 0 bits 0-3
    qint32 field = 0;     // byte 0 bits 4-6
    bool flag = false;    // byte 0 bit 7
    double progress = 0;  // byte 1 bits 0-6, / 100
    int attempt = 0;      // byte 2 bits 0-4
    bool flag0 = false;   // byte 3 bit 0
    bool flag1 = false;   // byte 3 bit 1
    static AdlUpdateStatus decode(const QByteArray& value);
};

// GLB_CAN_SW_UPDATE_FAILURE_RO: mask A from bytes 2-3, mask B from bytes 0-1.
struct AdlUpdateFailure {
    std::array<bool, kModuleCount> failureA{};
    std::array<bool, kModuleCount> failureB{};
    static AdlUpdateFailure decode(const QByteArray& value);
};

// GLB_ENG_STSTILL of one module: byte 0 above 0 means standstill.
bool adlStandStill(const QByteArray& value);

} // namespace pxu::modAutoDownload
