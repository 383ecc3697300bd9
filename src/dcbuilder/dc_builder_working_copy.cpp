#include "core/error.h"
#include "core/file_names.h"
#include "core/file_write_failure.h"
#include "core/msg_box.h"
#include "core/sprintf.h"
#include "dc_builder.h"
#include "platform/clock/clock.h"
#include "platform/db/database_file.h"
#include "scratch_copy.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

// The builder's working copy and versions: the working copy is made from the newest
// version, and a changed one becomes the next version. A version file is only ever
// written whole (a temporary file renamed into place), and no file that this window did
// not write, nor one that a build turned into the download file, is replaced or deleted.
namespace pxu {

namespace {

const QLatin1String kVersionMark{"-???"};

void renameOver(const QString& from, const QString& to) {
    if (const auto failure = db::renameDatabase(from, to)) {
        throwIfWrittenByAnotherProgram(*failure, {from, to});
        if (const QString why = whyNotWritable(to); !why.isEmpty())
            throw FileWriteFailure(to, why);
        raise(75, QStringLiteral("frmDcBuilder"), *failure);
    }
}

// A copy made beside the target and renamed into place, so no reader ever sees half a file.
void copyOver(const QString& from, const QString& to) {
    dc::ScratchCopy copy(from, QFileInfo(to).absolutePath(), to);
    if (copy.isValid() && copy.placeAs(to))
        return;
    if (const auto& failure = copy.writeFailure())
        throw *failure;
    throwIfWrittenByAnotherProgram(copy.error(), {from, to});
    if (const QString why = whyNotWritable(to); !why.isEmpty())
        throw FileWriteFailure(to, why);
    raise(75, QStringLiteral("frmDcBuilder"),
          QStringLiteral("%1 cannot be copied to %2: %3").arg(from, to, copy.error()));
}

bool sameContents(const QString& a, const QString& b) {
    QFile first(a);
    QFile second(b);
    return first.open(QIODevice::ReadOnly) && second.open(QIODevice::ReadOnly) &&
           first.size() == second.size() && first.readAll() == second.readAll();
}

// A name beside the file that says it is a leftover, and is no version's name.
QString leftoverName(const QString& workingCopy) {
    const QString stamp = clock().currentDateTime().toString(QStringLiteral("yyyyMMdd-HHmmss"));
    const QString base = workingCopy.chopped(3) + QStringLiteral("-leftover-") + stamp;
    QString name = base + QStringLiteral(".md");
    for (int n = 2; QFileInfo::exists(name); ++n)
        name = base + QStringLiteral("-%1.md").arg(n);
    return name;
}

} // namespace

void DcBuilder::computePaths() {
    QString workingCopy = m_tempDcFile;
    QString next = m_nextDcFile;
    m_newestDcFile = g_getHighestFileVersion(m_dcPattern, workingCopy, next);
    m_tempDcFile = workingCopy;
    m_nextDcFile = next;
}

void DcBuilder::createTempDc() {
    if (!m_tempDcExists) {
        // A working copy left by a session that ended without closing holds the user's
        // unsaved work: it is kept aside, not overwritten. One that holds only what the
        // newest version holds (a closed session could not delete it, or a killed one had
        // changed nothing) is simply made anew.
        if (QFileInfo::exists(m_tempDcFile) && holdsOnlyTheNewestVersion()) {
            const QString note =
                sprintf(QStringLiteral("Working copy {*} of an earlier session holds only what "
                                       "{*} holds: made anew"),
                        g_fileName(m_tempDcFile), g_fileName(m_newestDcFile));
            m_notes << note;
            addMessage(note);
        } else if (QFileInfo::exists(m_tempDcFile)) {
            const QString aside = leftoverName(m_tempDcFile);
            renameOver(m_tempDcFile, aside);
            const QString note =
                sprintf(QStringLiteral("Working copy {*} of an earlier session kept as {*}"),
                        g_fileName(m_tempDcFile), g_fileName(aside));
            m_notes << note;
            addMessage(note);
            g_informationMsgBox(sprintf(QStringLiteral("The working copy of an earlier session "
                                                       "that did not close is kept as\r\n{*}"),
                                        QDir::toNativeSeparators(aside)));
        }
        copyOver(m_newestDcFile, m_tempDcFile);
        m_tempDcExists = true;
        m_dcChanged = false;
    }
    m_view.documentation[1] = QStringLiteral("\r\n\r\n   ") + g_fileName(m_nextDcFile);
    emit changed();
}

void DcBuilder::closeTempDc() {
    if (m_tempDcExists) {
        if (m_dcChanged && !holdsOnlyWhatWasSaved())
            writeVersion(m_tempDcFile, versionTarget(), true);
        else
            removeUnchangedWorkingCopy();
        m_tempDcExists = false;
        m_dcChanged = false;
        m_lastWrittenVersion.clear();
    }
    computePaths();
}

void DcBuilder::copyToNextVersion() {
    if (m_tempDcExists && m_dcChanged && !holdsOnlyWhatWasSaved())
        writeVersion(m_tempDcFile, versionTarget(), false);
}

void DcBuilder::saveAndContinue() {
    m_dcChanged = true;
    closeTempDc();
    stillWorking();
    createTempDc();
}

QString DcBuilder::versionTarget() {
    const bool built = m_builtVersions.contains(m_nextDcFile);
    if (!QFileInfo::exists(m_nextDcFile) || (m_writtenVersions.contains(m_nextDcFile) && !built))
        return m_nextDcFile;
    // Someone else saved this number meanwhile, or the modules were loaded from it: the
    // result takes the next free one.
    const qsizetype at = m_dcPattern.lastIndexOf(kVersionMark);
    const int digits = int(kVersionMark.size()) - 1;
    int number = m_nextDcFile.mid(at + 1, digits).toInt();
    QString free;
    do {
        ++number;
        free = m_dcPattern.left(at + 1) + QString::number(number).rightJustified(digits, u'0') +
               m_dcPattern.mid(at + kVersionMark.size());
    } while (QFileInfo::exists(free));
    addMessage(sprintf(built ? QStringLiteral("DC-Version {*} was built into the download file and "
                                              "is kept; the result goes to {*}")
                             : QStringLiteral("DC-Version {*} exists already and is kept; the "
                                              "result goes to {*}"),
                       g_fileName(m_nextDcFile), g_fileName(free)));
    m_nextDcFile = free;
    m_view.documentation[1] = QStringLiteral("\r\n\r\n   ") + g_fileName(m_nextDcFile);
    return m_nextDcFile;
}

void DcBuilder::removeUnchangedWorkingCopy() {
    QFile workingCopy(m_tempDcFile);
    if (workingCopy.remove() || !workingCopy.exists())
        return;
    const QString text = sprintf(QStringLiteral("The working copy {*} cannot be deleted: {*}."),
                                 QDir::toNativeSeparators(m_tempDcFile), workingCopy.errorString());
    addMessage(text);
    g_errorMsgBox(text + QStringLiteral("\r\nIt holds no unsaved changes; the next opening of the "
                                        "DC Builder makes it anew."));
}

bool DcBuilder::holdsOnlyTheNewestVersion() {
    // The committed state decides: a journal of a killed job is rolled back first.
    return !db::recoverInPlace(m_tempDcFile) && sameContents(m_tempDcFile, m_newestDcFile);
}

bool DcBuilder::holdsOnlyWhatWasSaved() const {
    return !m_lastWrittenVersion.isEmpty() && sameContents(m_lastWrittenVersion, m_tempDcFile);
}

bool DcBuilder::isCopyOfWorkingCopy(const QString& version) const {
    return m_tempDcExists && version == m_lastWrittenVersion && holdsOnlyWhatWasSaved();
}

void DcBuilder::takeIntoWorkingCopy(const QString& version) {
    copyOver(version, m_tempDcFile);
}

void DcBuilder::writeVersion(const QString& from, const QString& to, bool move) {
    if (move)
        renameOver(from, to);
    else
        copyOver(from, to);
    m_writtenVersions.insert(to);
    m_lastWrittenVersion = move ? QString() : to;
    addMessage(QStringLiteral("Result saved in new DC-Version ") + g_fileName(to));
}

} // namespace pxu
