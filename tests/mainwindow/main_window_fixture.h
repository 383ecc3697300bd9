#pragma once

#include "dcbuilder/dc_tools.h"
#include "mainwindow/main_window.h"
#include "updater/updater_face.h"

#include <QTemporaryDir>
#include <QVariantList>
#include <memory>

namespace pxu::test {

// Program-wide settings, shared windows, record sets and the bus layer's tables as a fresh
// program has them.
void resetProgramState();

// A folder of its own with a copy of the sample configuration database, and the lock file
// of the running instance inside it.
class Workspace {
public:
    Workspace();
    ~Workspace();

    QString folder() const { return m_dir.path(); }
    QString path(const QString& name) const;
    static constexpr const char* kConfigName = "DORN Update Tool-Config.mdb";
    QString configDb() const { return path(QLatin1String(kConfigName)); }
    // Runs a statement on the configuration database.
    void execute(const QString& sql, const QVariantList& values = {});
    void setMiscItem(const QString& item, const QString& value);
    // A writable copy of a file at name (folders made as needed); its path, empty on failure.
    QString copyFile(const QString& from, const QString& name) const;
    // A folder below the workspace with a copy of the configuration database as it is now:
    // the installation folder of a run whose templates, beside it, stay in the workspace.
    // Empty on failure.
    QString configFolder(const QString& name) const;
    // Writes a file (folders made as needed) and gives it the modification time.
    QString writeFile(const QString& name, const QByteArray& content = "S0030000FC\n",
                      const QDateTime& modified = {});
    // Where the program's own, the default and the "/IDE" folders lie.
    StartFolders folders() const;

private:
    QTemporaryDir m_dir;
};

// A main window with its updater face and data-container tools, as main() makes them;
// "/db=" names the workspace unless the arguments give one.
struct Program {
    explicit Program(const Workspace& workspace, QStringList arguments);
    ~Program();
    bool start() { return window.Form_Load(); }

    MainWindow window;
    UpdaterFace face{window};
    DcTools dcTools{window};
};

} // namespace pxu::test
