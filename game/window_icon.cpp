// SPDX-License-Identifier: MIT
#include "game/window_icon.h"

namespace brandel {

QIcon GameIcon() {
  QIcon icon;
  for (int size : {16, 32, 48, 64, 128, 256}) {
    icon.addFile(QStringLiteral(":/brandel2/%1x%1/apps/brandel2.png").arg(size), QSize(size, size));
  }
  return icon;
}

}  // namespace brandel
