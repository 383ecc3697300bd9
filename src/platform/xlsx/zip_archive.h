#pragma once

#include <QByteArray>
#include <QString>
#include <memory>
#include <optional>

struct zip;

namespace pxu::xlsx {

// A zip archive opened for reading. Entry names are matched in any letter case, as the
// parts of a workbook package are.
class ZipArchive {
public:
    ZipArchive();
    ~ZipArchive();
    ZipArchive(const ZipArchive&) = delete;
    ZipArchive& operator=(const ZipArchive&) = delete;

    bool open(const QString& path);
    bool contains(const QString& name) const;
    // The whole entry; nothing when it is missing, damaged or too large (lastError says).
    std::optional<QByteArray> read(const QString& name);
    QString lastError() const { return m_lastError; }

private:
    struct Closer {
        void operator()(zip* archive) const;
    };
    std::unique_ptr<zip, Closer> m_archive;
    QString m_lastError;
};

} // namespace pxu::xlsx
