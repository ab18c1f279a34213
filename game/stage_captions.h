// SPDX-License-Identifier: MIT
// Captions of start_b that the battle hands back to the stage script.
#pragma once

#include <QString>

namespace brandel {

inline const QString kSecondFishBattleCaption = QStringLiteral("ＳＴＡＧＥ２！！");
inline const QString kNextStageCaption = QStringLiteral("ＮＥＸＴ ＳＴＡＧＥ！！");
inline const QString kAllClearCaption = QStringLiteral("オールクリア");
inline const QString kFightCaption = QStringLiteral("ネコFIGHT！！");

}  // namespace brandel
