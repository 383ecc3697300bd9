#include "zip_archive.h"

#include <QFile>
#include <zip.h>

namespace pxu::xlsx {

namespace {

// No part of a signal list comes near this; a larger entry is a broken or hostile file.
constexpr zip_uint64_t kMaxEntrySize = 256u * 1024 * 1024;

QString libzipError(zip_error_t* error) {
    return QString::fromLocal8Bit(zip_error_strerror(error));
}

} // namespace

void ZipArchive::Closer::operator()(zip* archive) const {
    zip_discard(archive);
}

ZipArchive::ZipArchive() = default;
ZipArchive::~ZipArchive() = default;

bool ZipArchive::open(const QString& path) {
    m_archive.reset();
    int code = 0;
    zip* archive = zip_open(QFile::encodeName(path).constData(), ZIP_RDONLY, &code);
    if (!archive) {
        zip_error_t error;
        zip_error_init_with_code(&error, code);
        m_lastError = libzipError(&error);
        zip_error_fini(&error);
        return false;
    }
    m_archive.reset(archive);
    return true;
}

bool ZipArchive::contains(const QString& name) const {
    return m_archive &&
           zip_name_locate(m_archive.get(), name.toUtf8().constData(), ZIP_FL_NOCASE) >= 0;
}

std::optional<QByteArray> ZipArchive::read(const QString& name) {
    if (!m_archive)
        return std::nullopt;
    zip_stat_t stat;
    zip_stat_init(&stat);
    if (zip_stat(m_archive.get(), name.toUtf8().constData(), ZIP_FL_NOCASE, &stat) != 0) {
        m_lastError =
            QStringLiteral("%1: %2").arg(name, libzipError(zip_get_error(m_archive.get())));
        return std::nullopt;
    }
    if ((stat.valid & ZIP_STAT_SIZE) && stat.size > kMaxEntrySize) {
        m_lastError = QStringLiteral("%1: too large").arg(name);
        return std::nullopt;
    }
    zip_file_t* file = zip_fopen_index(m_archive.get(), stat.index, 0);
    if (!file) {
        m_lastError =
            QStringLiteral("%1: %2").arg(name, libzipError(zip_get_error(m_archive.get())));
        return std::nullopt;
    }
    // Read to the end rather than trusting the size the directory states.
    QByteArray content;
    char buffer[65536];
    zip_int64_t got = 0;
    while ((got = zip_fread(file, buffer, sizeof buffer)) > 0 &&
           zip_uint64_t(content.size()) + zip_uint64_t(got) <= kMaxEntrySize)
        content.append(buffer, qsizetype(got));
    if (got != 0) {
        m_lastError =
            got < 0 ? QStringLiteral("%1: %2").arg(name, libzipError(zip_file_get_error(file)))
                    : QStringLiteral("%1: too large").arg(name);
        zip_fclose(file);
        return std::nullopt;
    }
    zip_fclose(file);
    return content;
}

} // namespace pxu::xlsx
