#include "zip_writer.h"

#include <QFile>
#include <zip.h>

namespace pxu::xlsx {

bool writeZip(const QString& path, const QList<QPair<QString, QByteArray>>& entries,
              QString* error) {
    int code = 0;
    zip* archive = zip_open(QFile::encodeName(path).constData(), ZIP_CREATE | ZIP_TRUNCATE, &code);
    if (!archive) {
        zip_error_t failure;
        zip_error_init_with_code(&failure, code);
        if (error)
            *error = QString::fromLocal8Bit(zip_error_strerror(&failure));
        zip_error_fini(&failure);
        return false;
    }
    // The buffers stay with the caller until the archive is closed.
    for (const auto& [name, content] : entries) {
        zip_source_t* source =
            zip_source_buffer(archive, content.constData(), zip_uint64_t(content.size()), 0);
        if (!source || zip_file_add(archive, name.toUtf8().constData(), source,
                                    ZIP_FL_ENC_UTF_8 | ZIP_FL_OVERWRITE) < 0) {
            zip_source_free(source);
            break;
        }
    }
    if (zip_error_code_zip(zip_get_error(archive)) == ZIP_ER_OK && zip_close(archive) == 0)
        return true;
    if (error)
        *error = QString::fromLocal8Bit(zip_strerror(archive));
    zip_discard(archive);
    return false;
}

} // namespace pxu::xlsx
