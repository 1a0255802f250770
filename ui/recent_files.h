// File > Open Recent: the last ten files opened, newest first, kept in the
// settings across runs. Paths are kept as the bytes the system gave, so
// names that are not UTF-8 open again.
#pragma once

#include <QByteArray>
#include <QList>
#include <QSettings>

namespace zarvex {

class RecentFiles {
 public:
  static constexpr int kMaximum = 10;

  explicit RecentFiles(QSettings& settings);

  const QList<QByteArray>& paths() const { return m_paths; }

  // Puts `path` first (once), keeping at most ten.
  void add(const QByteArray& path);
  // Takes `path` off the list.
  void remove(const QByteArray& path);
  // Takes off the files that no longer exist; returns how many.
  int removeMissing();

 private:
  void save();

  QSettings& m_settings;
  QList<QByteArray> m_paths;
};

}  // namespace zarvex
