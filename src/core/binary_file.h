#pragma once

#include <QByteArray>
#include <QString>

namespace pxu {

// Reads the whole file into image. A file that cannot be opened or is empty is an
// unexpected failure for the error reporter; image is left as it was then.
void g_readBinFile(const QString& fileName, QByteArray& image);

} // namespace pxu
