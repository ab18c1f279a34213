// SPDX-License-Identifier: MIT
#include "game/scene_descriptions.h"

namespace brandel {

namespace {

struct Entry {
  const char* file;
  const char* name;
  const char* description;
};

constexpr Entry kScenes[] = {
    {"title", "タイトル画面", "青空の街。猫の勇者ブランデルが怒った小魚に向かって構えている。"},
    {"title2", "タイトル画面（夜）", "月夜の街で、ブランデルとお人形が並んで喜んでいる。"},
    {"tuzuku", "エンディング", "夜空に「つづく」の文字。丘の上にブランデルとお人形が座っている。"},
    {"sakana0", "小魚の章", "街の中に超でっかい小魚が現れ、人々が逃げまどう。"},
    {"sakana1", "小魚の章", "小魚が叫び声をあげ、人類が危ない。"},
    {"sakana2", "小魚の章", "小魚が火を吐いた。"},
    {"sakana3", "小魚の章", "爆発のあと、街はがれきになった。"},
    {"fish_ba0", "小魚との戦い", "ブランデルと小魚がにらみ合っている。"},
    {"fish_ba1", "小魚との戦い", "攻撃！ブランデルの一撃が小魚に当たる。"},
    {"fish_ba2", "小魚との戦い", "まほう！光の呪文が小魚を包む。"},
    {"fish_ba3", "小魚との戦い", "小魚を倒した。"},
    {"fish_ba4", "小魚との戦い", "ブランデルが小魚を食べて、レベルアップ。"},
    {"doll0", "お人形の章", "ブランデルがお人形をもらった。"},
    {"doll1", "お人形との戦い", "ブランデルとお人形がにらみ合っている。"},
    {"doll2", "お人形との戦い", "攻撃！ブランデルの一撃がお人形に当たる。"},
    {"doll3", "お人形との戦い", "まほう！光の呪文がお人形を包む。"},
    {"doll4", "お人形との戦い", "戦いが終わり、ブランデルとお人形は仲良くなった。"},
    {"doll_sp0", "最後の章", "お人形が巨大化した。"},
    {"doll_sp1", "最後の章", "巨大なお人形がレーザーを発射する。"},
    {"doll_sp2", "最後の章", "「やめて、お願い！」"},
    {"doll_sp3", "最後の章", "街に静けさが戻った。"},
    {"doll_sp4", "最後の章", "ブランデルが街の人を守るために盾となった。"},
};

}  // namespace

SceneText SceneTextOf(const QString& pictureName) {
  // "\cg\title.bmp" → "title"
  QString file = pictureName.section(QLatin1Char('\\'), -1);
  file.chop(file.endsWith(QLatin1String(".bmp")) ? 4 : 0);
  for (const Entry& entry : kScenes) {
    if (file == QLatin1String(entry.file)) {
      return {QString::fromUtf8(entry.name), QString::fromUtf8(entry.description)};
    }
  }
  return {};
}

SceneText NarrationScene() {
  return {QStringLiteral("オープニング"), QString()};
}

}  // namespace brandel
