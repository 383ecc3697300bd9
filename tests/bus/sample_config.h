#pragma once

#include "core/config_items.h"
#include "core/globals.h"

#include <QFile>
#include <QTemporaryDir>

namespace pxu::test {

// A copy of the sample configuration database, loaded as the program loads its own
// (variable ids, messages, node-id bases, protection limits). Closed by the destructor.
class SampleConfig {
public:
    SampleConfig() {
        closeConfigRecordsets();
        g_configDbPath = m_dir.filePath(QStringLiteral("DORN Update Tool-Config.mdb"));
        m_ok = QFile::copy(QStringLiteral(PXU_SAMPLE_CONFIG_DB), g_configDbPath) &&
               QFile::setPermissions(g_configDbPath, QFile::ReadOwner | QFile::WriteOwner) &&
               g_iniGlobals();
    }
    ~SampleConfig() { closeConfigRecordsets(); }
    bool ok() const { return m_ok; }

private:
    QTemporaryDir m_dir;
    bool m_ok = false;
};

} // namespace pxu::test
