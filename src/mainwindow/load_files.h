#pragma once

#include "module_type_tables.h"

#include <QObject>
#include <QString>
#include <array>
#include <functional>

namespace pxu {

class Selection;

// The file columns beside a section box: the load file's name (shown text and the full
// path kept with it, which the download reads), its date and its time.
struct LoadFileBoxes {
    QString emhText; // txtEmh
    QString emhPath; // the path kept with txtEmh
    QString version; // txtVersion: the file's date
    QString build;   // txtBuild: the file's time
};

// The file on disk whose path equals path in any letter case of its parts (the exact
// spelling first); empty when there is none.
QString findFileIgnoringCase(const QString& path);
// The "New" variant of a load file: ".S19" in its file name (not in its folders) becomes
// "_New.S19"; found on disk in any letter case, else the name as built.
QString newLoadFileName(const QString& path);

// The load files of the section boxes: the load-file directory, the check that resolves
// the configuration's loadFiles rows to files, the "New" box and the data-container date
// check.
class LoadFiles : public QObject {
    Q_OBJECT
public:
    using Log = std::function<void(const QString&)>;
    LoadFiles(Selection& selection, Log log, QObject* parent = nullptr);

    // txtFileDirectory
    const QString& directory() const { return m_directory; }
    void setDirectory(const QString& directory);

    const LoadFileBoxes& boxes(int index) const { return m_boxes.at(index); }
    void setBoxes(int index, const LoadFileBoxes& boxes);
    const QString& uploadFileName(int index) const { return m_uploadFileName.at(index); }
    bool loadFileFound(int index) const { return m_loadFileFound.at(index); }

    // chkSectionNew; a value from code runs its Click handler when it changes.
    int sectionNew() const { return m_sectionNew; }
    void setSectionNew(int value);

    void g_checkFileExist(const QString& moduleType, bool quiet);
    void txtFileDirectory_Validate();
    void chkSectionNew_Click();
    // True to go on with a download of the data container.
    bool checkS19FileDate();

signals:
    void changed();

private:
    void log(const QString& line) const { m_log(line); }

    Selection& m_selection;
    Log m_log;
    QString m_directory;
    std::array<LoadFileBoxes, kSectionBoxCount> m_boxes;
    std::array<QString, kSectionBoxCount> m_uploadFileName;
    std::array<bool, kSectionBoxCount> m_loadFileFound{};
    int m_sectionNew = 0;
};

} // namespace pxu
