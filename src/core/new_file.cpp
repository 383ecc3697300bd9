#include "new_file.h"

#include "scratch_files.h"

#include <QDir>
#include <QFileInfo>
#include <cerrno>
#include <filesystem>
#include <unistd.h>

namespace pxu {

namespace {

struct InjectedFailure {
    int step = -1; // none
    int error = 0;
    bool came = false;
};

InjectedFailure g_injected;

// The error a test has put at this step, else 0.
int injectedAtThisStep() {
    if (g_injected.step < 0 || g_injected.came)
        return 0;
    if (g_injected.step-- > 0)
        return 0;
    g_injected.came = true;
    return g_injected.error;
}

} // namespace

NewFile::NewFile(const QString& folder, const QString& suffix, const QString& shownAs)
    : m_file(scratchFileTemplate(folder, suffix))
    , m_shownAs(shownAs)
    , m_permissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ReadGroup |
                    QFileDevice::ReadOther) {}

NewFile::~NewFile() {
    close();
}

bool NewFile::open(OpenMode mode) {
    m_failure.reset();
    if (!(mode & WriteOnly) || (mode & ReadOnly) || isOpen())
        return false;
    // A folder that cannot take a file names itself: there is no file yet.
    if (!m_file.open()) {
        m_failure.emplace(m_shownAs, m_file.errorString());
        if (const QString why = whyNotWritable(m_file.fileTemplate()); !why.isEmpty())
            m_failure.emplace(m_shownAs, why);
        return false;
    }
    return QIODevice::open(mode | Unbuffered);
}

void NewFile::close() {
    if (m_file.isOpen())
        m_file.close();
    QIODevice::close();
}

bool NewFile::fail(int error) {
    m_failure.emplace(m_shownAs, writeFailureReason(error));
    setErrorString(m_failure->reason());
    return false;
}

qint64 NewFile::writeData(const char* data, qint64 size) {
    if (m_failure || !m_file.isOpen())
        return -1;
    qint64 done = 0;
    while (done < size) {
        if (const int injected = injectedAtThisStep()) {
            fail(injected);
            return -1;
        }
        const ssize_t n = ::write(m_file.handle(), data + done, size_t(size - done));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            fail(n < 0 ? errno : ENOSPC);
            return -1;
        }
        done += n;
    }
    return done;
}

void NewFile::setPermissionsOf(const QString& file) {
    if (QFileInfo::exists(file))
        m_permissions = QFile::permissions(file);
}

bool NewFile::finish() {
    if (m_failure)
        return false;
    if (!m_file.isOpen()) {
        m_failure.emplace(m_shownAs, QStringLiteral("it was never opened"));
        return false;
    }
    int error = injectedAtThisStep();
    if (!error && ::fsync(m_file.handle()) != 0)
        error = errno;
    close();
    if (error)
        return fail(error);
    m_file.setPermissions(m_permissions);
    return true;
}

bool NewFile::placeAs(const QString& target) {
    if (!finish())
        return false;
    std::error_code error;
    if (const int injected = injectedAtThisStep())
        error.assign(injected, std::generic_category());
    else
        std::filesystem::rename(QFile::encodeName(path()).toStdString(),
                                QFile::encodeName(target).toStdString(), error);
    if (error)
        return fail(error.value());
    keep();
    return true;
}

std::optional<FileWriteFailure> writeFileWhole(const QString& file,
                                               const std::function<bool(QIODevice&)>& write) {
    const QFileInfo info(file);
    const QString suffix = info.suffix().isEmpty() ? QString() : u'.' + info.suffix();
    NewFile out(info.absolutePath(), suffix, file);
    out.setPermissionsOf(file);
    if (out.open(QIODevice::WriteOnly) && write(out) && out.placeAs(file))
        return std::nullopt;
    if (out.failure())
        return out.failure();
    // The writer stopped on its own (a failure of what it read, not of the file).
    return FileWriteFailure(file, QStringLiteral("the text could not be made"));
}

std::optional<FileWriteFailure> writeFileWhole(const QString& file, QByteArrayView bytes) {
    return writeFileWhole(file, [bytes](QIODevice& out) {
        return out.write(bytes.data(), bytes.size()) == bytes.size();
    });
}

void injectWriteFailure(int step, int error) {
    g_injected = {step, error, false};
}

void clearInjectedWriteFailure() {
    g_injected = {};
}

bool injectedWriteFailureCame() {
    return g_injected.came;
}

} // namespace pxu
