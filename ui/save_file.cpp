#include "save_file.h"

#include <QSaveFile>

namespace zarvex {

namespace {

template <typename Write>
QString save(const QString& path, Write write) {
  QSaveFile file(path);
  if (!file.open(QIODevice::WriteOnly)) {
    return QStringLiteral("Cannot write %1: %2").arg(path, file.errorString());
  }
  if (!write(file)) {
    const QString reason = file.errorString();
    file.cancelWriting();
    return QStringLiteral("Cannot write %1: %2").arg(path, reason.isEmpty() ? QStringLiteral("the write failed") : reason);
  }
  if (!file.commit()) return QStringLiteral("Cannot write %1: %2").arg(path, file.errorString());
  return {};
}

}  // namespace

QString saveBytes(const QString& path, const QByteArray& bytes) {
  return save(path, [&](QSaveFile& file) { return file.write(bytes) == bytes.size(); });
}

QString savePng(const QString& path, const QImage& image) {
  return save(path, [&](QSaveFile& file) { return image.save(&file, "PNG"); });
}

}  // namespace zarvex
