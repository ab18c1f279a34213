// SPDX-License-Identifier: MIT
#include "platform/qt/fonts.h"

#include <QFont>
#include <QStringList>

namespace qtui {

void InstallFontSubstitutions() {
  // Without these Qt falls back to DejaVu for Latin letters and the fixed-width IPAGothic.
  const QStringList gothic{QStringLiteral("IPAPGothic"), QStringLiteral("IPAGothic")};
  const QStringList mincho{QStringLiteral("IPAPMincho"), QStringLiteral("IPAMincho")};
  QFont::insertSubstitutions(QStringLiteral("ＭＳ Ｐゴシック"), gothic);
  QFont::insertSubstitutions(QStringLiteral("MS PGothic"), gothic);
  QFont::insertSubstitutions(QStringLiteral("ＭＳ Ｐ明朝"), mincho);
  QFont::insertSubstitutions(QStringLiteral("MS PMincho"), mincho);
}

}  // namespace qtui
