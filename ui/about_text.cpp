#include "about_text.h"

#include <png.h>
#include <zlib.h>

#include <QStringList>
#include <QtGlobal>

#include "version_record.h"

namespace zarvex {

QString aboutText() {
  const QStringList libraries = {
      QStringLiteral("Qt %1 (LGPL 3): the window, the sound").arg(QString::fromLatin1(qVersion())),
      QStringLiteral("libpng %1 (libpng licence): PNG files").arg(QString::fromLatin1(PNG_LIBPNG_VER_STRING)),
      QStringLiteral("zlib %1 (zlib licence): compression in PNG files").arg(QString::fromLatin1(ZLIB_VERSION)),
      QStringLiteral("libarchive (BSD 2-clause): archives, loaded when one is opened"),
      QStringLiteral("libxmp (MIT): music banks and tracker modules, loaded when one is played"),
  };
  return QStringLiteral("%1 %2\n\nReads the tokenised BASIC programs the Amiga's AMOS editor saves, and their "
                        "memory banks: listings, pictures, sounds and music.\n\nBuilt with:\n- %3")
      .arg(QString::fromLatin1(version::kProductName), QString::fromLatin1(version::kProductVersion),
           libraries.join(QStringLiteral("\n- ")));
}

}  // namespace zarvex
