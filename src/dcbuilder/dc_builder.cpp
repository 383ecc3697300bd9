#include "dc_builder.h"

#include "core/error_boundary.h"
#include "core/file_names.h"
#include "core/file_write_failure.h"
#include "core/form_support.h"
#include "core/globals.h"
#include "core/msg_box.h"
#include "core/sprintf.h"
#include "dc_builder_form.h"
#include "dcdatabase/dc_database_check.h"
#include "dcdatabase/dc_job.h"
#include "dcdatabase/number_text.h"
#include "dcdatabase/schema_migration.h"
#include "dcdatabase/special_symbols.h"
#include "mainwindow/form_widgets.h"
#include "mainwindow/main_window.h"

#include <QDir>
#include <QRegularExpression>
#include <QScopeGuard>
#include <algorithm>
#include <cmath>

namespace pxu {

namespace {

const char* const kObject = "frmDcBuilder";
const QString kNotAvailable = QStringLiteral("\r\nTherefore DC Builder is not available.");

} // namespace

DcBuilder::DcBuilder(QObject* parent)
    : QObject(parent) {
    for (int i = 0; i < kInfoBoxCount; ++i)
        m_view.infos[i].maxLength = infoBoxSettings()[i].maxLength;
}

DcBuilder::~DcBuilder() {
    delete m_form.data();
}

DcBuilderForm* DcBuilder::form() const {
    return m_form;
}

void DcBuilder::g_show(const QString& sourceFolder) {
    guarded(kObject, "g_show", [&] {
        // Opened once: another call must not move the paths under the open working copy.
        if (m_loaded) {
            emit raiseRequested();
            return;
        }
        m_view.fileDirectory = sourceFolder;
        m_sourceFolder = sourceFolder;
        m_dcPattern = g_getDcName(
            g_fullName(sourceFolder, g_projectName + QStringLiteral("-PXU-DC-???.mdb")));
        computePaths();
        if (m_newestDcFile.isEmpty()) {
            g_errorMsgBox(sprintf(QStringLiteral("DataContainer {*} not available!"), m_dcPattern));
            return;
        }
        // Another session in the folder would take this one's working copy for a leftover.
        if (const auto refusal = m_folderLock.acquire(sourceFolder)) {
            g_errorMsgBox(*refusal + kNotAvailable);
            return;
        }
        const auto unlockUnlessOpen = qScopeGuard([this] {
            if (!m_loaded)
                m_folderLock.release();
        });
        m_notes.clear();
        if (!writesFiles([&] { createTempDc(); }))
            return;
        m_loaded = true;
        const QString folder = g_filePath(m_tempDcFile);
        m_headerFilesFound = true;
        for (const char* header : {"global.h", "library.h", "dataContainer.h"}) {
            if (existingIgnoringCase(folder, QLatin1String(header)).isEmpty())
                m_headerFilesFound = false;
        }
        m_view.scanHeaderEnabled = m_headerFilesFound;
        m_view.scanSignalListEnabled = true;

        // The working copy is the version byte for byte: what is damaged is the version.
        if (const auto why = dc::whyNoDcDatabase(m_tempDcFile)) {
            g_errorMsgBox(dc::noDcDatabase(m_newestDcFile, *why) + kNotAvailable);
            unload();
            return;
        }
        if (!dc::g_updateDatabase(m_tempDcFile, m_dcChanged, this, m_newestDcFile)) {
            g_informationMsgBox(QStringLiteral("Opening DC-database is blocked.\r\nTherefore DC "
                                               "Builder is not available."));
            unload();
            return;
        }
        m_messages.clear();
        for (const QString& note : std::as_const(m_notes))
            addMessage(note);
        tabAction_Click(tabBuild);
        m_view.visible = true;
        if (widgetsAvailable()) {
            if (!m_form)
                m_form = new DcBuilderForm(*this); // deleted by the unload
            m_form->show();
            m_form->raise();
        }
        emit changed();
    });
}

int newestVersionIndex(const QStringList& files, const QString& pattern) {
    QString numbered = QRegularExpression::escape(pattern);
    numbered.replace(QStringLiteral("\\-\\?\\?\\?"), QStringLiteral("-(\\d{3})"));
    const QRegularExpression version(QRegularExpression::anchoredPattern(numbered),
                                     QRegularExpression::CaseInsensitiveOption);
    const QString unnumbered = QString(pattern).remove(QStringLiteral("-???"));
    int newest = -1;
    int highest = -1;
    for (int i = 0; i < files.size(); ++i) {
        const auto match = version.match(files[i]);
        if (match.hasMatch() && match.captured(1).toInt() > highest) {
            highest = match.captured(1).toInt();
            newest = i;
        } else if (highest < 0 && files[i].compare(unnumbered, Qt::CaseInsensitive) == 0) {
            newest = i;
        }
    }
    return newest;
}

void DcBuilder::addMessage(const QString& text) {
    QString lines = text;
    m_messages.addMessage(lines);
    m_turns.takeIfDue();
}

void DcBuilder::updateProgress(double value, bool relative) {
    const double v = relative ? m_view.progress + value : value;
    m_view.progress = std::clamp(v, 0.0, 1.0);
    m_messages.showWaitingLines();
    emit progressChanged();
    m_turns.takeIfDue();
}

bool DcBuilder::g_copyPlantInfosToDcEnums(dc::DcJob& job, const dc::PendingAliases& aliases) {
    // The schema update counts its steps as the change; what this writes commits with them.
    dc::SpecialSymbols symbols(job, *this, &aliases);
    const bool copied = symbols.copyPlantInfos();
    // Told again once the window shows its list.
    m_notes << symbols.emptyPlantInfoFields();
    return copied;
}

void DcBuilder::tabAction_Click(int tab) {
    guarded(kObject, "tabAction_Click", [&] {
        // The tab strip has moved already: whatever happens, the page follows it.
        const auto showPage = qScopeGuard([this] { emit changed(); });
        // A click on the tab strip takes no focus from a box that was typed into.
        writeEditedInfoBoxes();
        m_view.tab = tab;
        m_view.fileDirectory = m_sourceFolder;
        if (tab == tabInfo)
            fillInfoBoxes();
        if (tab == tabBuild) {
            m_view.startAdr = QString::number(quint32(g_baseAdrDC), 16).toUpper();
            if (m_tempDcExists && m_dcChanged) {
                listSourceFiles();
                emit changed(); // the page is shown before a box can tell of the copy
                writesFiles([&] { copyToNextVersion(); });
            }
        }
        listSourceFiles();
    });
}

void DcBuilder::listSourceFiles() {
    const QDir folder(m_view.fileDirectory);
    m_view.sourceFiles = folder.entryList({g_projectName + QStringLiteral("*-DC*.MDB")},
                                          QDir::Files, QDir::Name | QDir::IgnoreCase);
    // The newest version by its number: an upload or a copy may sort after it by name.
    const int newest = newestVersionIndex(m_view.sourceFiles, g_fileName(m_dcPattern));
    m_view.sourceIndex = newest >= 0 ? newest : int(m_view.sourceFiles.size()) - 1;
}

void DcBuilder::filSourceDC_Click(int index) {
    if (index >= 0 && index < m_view.sourceFiles.size())
        m_view.sourceIndex = index;
    emit changed();
}

void DcBuilder::setStartAdr(const QString& text) {
    m_view.startAdr = text;
}

QString DcBuilder::chosenDcFile() const {
    if (m_view.sourceIndex < 0 || m_view.sourceIndex >= m_view.sourceFiles.size())
        return {};
    return g_fullName(m_view.fileDirectory, m_view.sourceFiles[m_view.sourceIndex]);
}

void DcBuilder::unload() {
    guarded(kObject, "Form_Unload", [&] {
        if (!m_loaded)
            return;
        writeEditedInfoBoxes();
        // A working copy that cannot be saved keeps the window open on it.
        if (!writesFiles([&] { closeTempDc(); }))
            return;
        deleteReports();
        m_folderLock.release();
        m_loaded = false;
        m_view.visible = false;
        if (DcBuilderForm* form = m_form) {
            m_form = nullptr;
            form->hide();
            form->deleteLater();
        }
        emit changed();
    });
}

bool DcBuilder::writesFiles(const std::function<void()>& step) {
    try {
        step();
        return true;
    } catch (const FileWriteFailure& failure) {
        addMessage(failure.text());
        if (m_tempDcExists) {
            g_errorMsgBox(failure.text() +
                          QStringLiteral("\r\nThe changes stay in the working copy ") +
                          QDir::toNativeSeparators(m_tempDcFile) + QLatin1Char('.'));
            return false;
        }
        g_errorMsgBox(failure.text() + kNotAvailable);
        if (m_loaded)
            unload();
        return false;
    }
}

bool DcBuilder::onWorkingCopy(const std::function<void(dc::SpecialSymbols&)>& body) {
    bool wrote = false;
    bool unwritable = false;
    const auto failure = runJob(
        [&](dc::DcJob& job) {
            dc::SpecialSymbols symbols(job, *this);
            body(symbols);
            wrote = symbols.changed();
        },
        &unwritable);
    if (failure) {
        addMessage(QStringLiteral("   Nothing written to the working copy: ") + *failure);
        if (unwritable)
            g_errorMsgBox(*failure + QStringLiteral("\r\nNothing was stored."));
        return false;
    }
    if (wrote)
        m_dcChanged = true;
    return true;
}

QString DcBuilder::getSpecialDcStringValue(const QString& alias) {
    QString value;
    onWorkingCopy([&](dc::SpecialSymbols& s) { value = s.getString(alias); });
    return value;
}

QString DcBuilder::getSpecialDcLongValue(const QString& alias, const QString& format) {
    QString value;
    onWorkingCopy([&](dc::SpecialSymbols& s) { value = s.getLong(alias, format); });
    return value;
}

void DcBuilder::setSpecialDcStringValue(const QString& value, const QString& alias,
                                        QString& label) {
    onWorkingCopy([&](dc::SpecialSymbols& s) { s.setString(value, alias, label); });
}

void DcBuilder::setSpecialDcLongValue(const QString& value, const QString& alias, QString& label,
                                      const QString& format, bool showHex) {
    onWorkingCopy([&](dc::SpecialSymbols& s) { s.setLong(value, alias, label, format, showHex); });
}

void DcBuilder::setSwInfos(dc::DcJob& job) {
    dc::SpecialSymbols symbols(job, *this);
    const dc::SwInfoOutcome outcome = symbols.setSwInfos(m_view.fileDirectory);
    if (!outcome.swVersionFound)
        setInfoBoxLocked(InfoBox::txtSwVersion, false);
    if (!outcome.developerNoFound)
        setInfoBoxLocked(InfoBox::txtDeveloperNo, false);
    if (symbols.changed())
        m_dcChanged = true;
}

void DcBuilder::setDcVersion(dc::DcJob& job) {
    dc::SpecialSymbols(job, *this).setDcVersion();
}

void DcBuilder::fillInfoBoxes() {
    onWorkingCopy([&](dc::SpecialSymbols& s) {
        for (int i = 0; i < kInfoBoxCount; ++i) {
            const InfoBoxSetting& setting = infoBoxSettings()[i];
            InfoBoxView& box = m_view.infos[i];
            switch (setting.kind) {
            case InfoKind::Text: {
                // A symbol of fewer rows stores less than the box would take. One without
                // rows keeps the box's own length: writing it says the symbol is missing.
                int stored = 0;
                box.text = s.getString(setting.alias, &stored);
                box.maxLength =
                    stored > 0 ? std::min(setting.maxLength, stored) : setting.maxLength;
                break;
            }
            case InfoKind::Number:
                box.text = s.getLong(setting.alias, setting.format);
                break;
            case InfoKind::Bootloader: {
                const auto hundredths = dc::numberFromText(s.getLong(setting.alias, {}));
                box.text =
                    hundredths ? dc::formatNumber(*hundredths / 100, setting.format) : QString();
                break;
            }
            }
            box.edited = false;
        }
    });
}

void DcBuilder::setInfoText(InfoBox box, const QString& text) {
    InfoBoxView& view = m_view.infos[int(box)];
    if (view.locked)
        return;
    view.text = text.left(view.maxLength);
    view.edited = true;
}

void DcBuilder::txtInfo_LostFocus(InfoBox box) {
    guarded(kObject, infoBoxSetting(box).name, [&] { writeInfoBox(box); });
}

void DcBuilder::writeInfoBox(InfoBox box) {
    InfoBoxView& view = m_view.infos[int(box)];
    if (view.locked || !m_tempDcExists)
        return;
    const InfoBoxSetting& setting = infoBoxSetting(box);
    QString value = view.text;
    if (setting.kind == InfoKind::Bootloader) {
        if (const auto version = dc::numberFromText(value))
            value = QString::number(qint64(std::nearbyint(*version * 100)));
    }
    QString label;
    onWorkingCopy([&](dc::SpecialSymbols& s) {
        if (setting.kind == InfoKind::Text)
            s.setString(value, setting.alias, label);
        else
            s.setLong(value, setting.alias, label, {}, false);
    });
    view.edited = false;
    emit changed();
}

void DcBuilder::writeEditedInfoBoxes() {
    for (int i = 0; i < kInfoBoxCount; ++i) {
        if (m_view.infos[i].edited)
            writeInfoBox(InfoBox(i));
    }
}

void DcBuilder::setInfoBoxLocked(InfoBox box, bool locked) {
    InfoBoxView& view = m_view.infos[int(box)];
    view.locked = locked;
    view.backColour = locked ? kColourButtonFace : kColourWindow;
    emit changed();
}

void DcBuilder::setSwInfoReadWriteAccess(bool readOnly) {
    for (int i = 0; i < kInfoBoxCount; ++i)
        setInfoBoxLocked(InfoBox(i), readOnly);
}

} // namespace pxu
