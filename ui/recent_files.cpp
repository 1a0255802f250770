#include "recent_files.h"

#include <sys/stat.h>

namespace zarvex {

namespace {
const QString kKey = QStringLiteral("files/recent");
}  // namespace

RecentFiles::RecentFiles(QSettings& settings) : m_settings(settings) {
  for (const QVariant& value : m_settings.value(kKey).toList()) {
    const QByteArray path = value.toByteArray();
    if (!path.isEmpty() && !m_paths.contains(path) && m_paths.size() < kMaximum) m_paths.append(path);
  }
}

void RecentFiles::add(const QByteArray& path) {
  m_paths.removeAll(path);
  m_paths.prepend(path);
  while (m_paths.size() > kMaximum) m_paths.removeLast();
  save();
}

void RecentFiles::remove(const QByteArray& path) {
  if (m_paths.removeAll(path) > 0) save();
}

int RecentFiles::removeMissing() {
  // The bytes go to the system as they are: no decoding on the way.
  // A member of a disk image or archive (games.adf/Games/X.AMOS) stays while
  // its container is there.
  const auto missing = [](const QByteArray& path) {
    struct stat info {};
    if (::stat(path.constData(), &info) == 0) return false;
    for (qsizetype slash = path.lastIndexOf('/'); slash > 0; slash = path.lastIndexOf('/', slash - 1)) {
      if (::stat(path.left(slash).constData(), &info) == 0) return !S_ISREG(info.st_mode);
    }
    return true;
  };
  const auto removed = m_paths.removeIf(missing);
  if (removed > 0) save();
  return static_cast<int>(removed);
}

void RecentFiles::save() {
  QVariantList values;
  for (const QByteArray& path : m_paths) values.append(path);
  m_settings.setValue(kKey, values);
}

}  // namespace zarvex
