#pragma once

#include "platform/db/recordset.h"

#include <QString>
#include <memory>

namespace pxu {

// Application types.
enum ApplType : int {
    applTypeZent = 0,
    applTypeDorn = 1,
    applTypeLorx = 2,
    applTypeNone = 3,
    applTypeNoModule = 4,
    applTypeMismatch = 5,
    applTypeKev = 6,
    applTypeToq = 7,
};

constexpr int kModuleCount = 15;

// Program-wide settings, written once at start-up (and by the bus layer for its part).
inline QString g_toolName = QStringLiteral("DORN Update Tool");
inline QString g_projectName;
inline QString g_configDbPath;
inline QString g_installDir;
inline QString g_workDir;
inline QString g_uploadDir;
inline QString g_moduleType = QStringLiteral("PXU");
inline bool g_KEVMode = false;
inline bool g_TOQMode = false;
inline bool g_debugMode = false;
inline bool g_developMode = false;
inline bool g_applUpdate = false;
inline int g_applType = applTypeZent;
inline QString g_productText;
inline bool g_bigMem = false;
inline qint32 g_baseAdrAppl = 0;
inline qint32 g_baseAdrDC = 0;
inline qint32 g_baseAdrFPGA = 0;

// Started for KEV or TOQ modules (/KEV, /TOQ) instead of PXU modules.
inline bool kevOrToq() {
    return g_KEVMode || g_TOQMode;
}

// Written by the CANopen master and the connection set-up.
inline bool g_mBusMode = false;
inline int g_cobIdBootloader = 0;
inline int g_cobIdBootloaderSbus = 0;
inline int g_cobIdApplication = 0;
inline QString g_canInterfaceVersion;
inline bool g_moduleDetected = false;

// Variable ids of the control software on the CAN bus, in the order of g_varIds.
struct VarIds {
    qint32 g_varIdModuleStateRo = 0;
    qint32 g_varIdModuleStateRw = 0;
    qint32 g_varIdSwUpdateStateRo = 0;
    qint32 g_varIdSwUpdateFailureRo = 0;
    qint32 g_varIdEngStStill = 0;
    qint32 g_varIdCrcFirstApplication = 0;
    qint32 g_varIdTotNoOfCyl = 0;
    qint32 g_varIdSwInfoBuild = 0;
    qint32 g_varIdSwInfoDeveloperNo = 0;
    qint32 g_varIdSwInfoHullNo = 0;
    qint32 g_varIdEngineType = 0; // set by the guided updater
    qint32 g_varIdAutoDownldActivate = 0;
    qint32 g_varIdCrcValueImo = 0;
    qint32 g_varIdCrcLenImo = 0;
    qint32 g_varIdCrcValueApplication = 0;
    qint32 g_varIdCrcLenApplication = 0;
};
inline VarIds g_varIds;

inline int g_numRequiredCylinders = 3;
inline bool g_forceFpgaDownload = true;
inline qint32 g_addrProtectionBL1 = 0x10100;
inline qint32 g_addrProtectionBL2 = 0x30000;

// The configuration record sets, open for the whole run.
inline std::unique_ptr<db::Recordset> g_rsMisc;
inline std::unique_ptr<db::Recordset> g_rsAliasSymbolName;
inline std::unique_ptr<db::Recordset> g_rsMessages;

} // namespace pxu
