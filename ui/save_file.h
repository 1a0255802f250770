// Writing a file the user asked for, whole or not at all (QSaveFile): a
// failure leaves any existing file as it was and no half-written one.
#pragma once

#include <QByteArray>
#include <QImage>
#include <QString>

namespace zarvex {

// Writes `bytes` to `path`. Returns an empty string, or what went wrong, in a
// sentence naming the file.
QString saveBytes(const QString& path, const QByteArray& bytes);

// Writes `image` as a PNG file, the same way.
QString savePng(const QString& path, const QImage& image);

}  // namespace zarvex
