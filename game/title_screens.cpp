// SPDX-License-Identifier: MIT
// The flip animation of the title and the ending, and the opening narration crawl. Both work on
// the 150 x 100 area of cg's picture.
#include <QColor>

#include "game/game_variables.h"
#include "game/scene_descriptions.h"
#include "game/unit1.h"

namespace brandel {

namespace {

constexpr qtui::Rect kScene{0, 0, 150, 100};
constexpr int kFlipSteps = 199;
constexpr int kNarrationEnd = 400;
constexpr int kNarrationTop = 80;

// The band of cg2 that step k stretches over the scene; a bottom above the top mirrors it.
qtui::Rect FlipBand(int k) {
  if (k < 100) return {0, k, 150, 100 - k};
  return {0, 200 - k, 150, k - 100};
}

struct NarrationLine {
  int tick;
  int x;
  const char* text;
};

constexpr NarrationLine kNarration[] = {
    {1, 20, "神がおられるというのに"},
    {16, 10, "何故争いが絶えないのだろう"},
    {60, 20, "かつて、スズタル艦長の"},
    {76, 0, "失態によって生れた猫人の星の"},
    {92, 10, "住人達は、不思議な力を操り"},
    {118, 20, "星の海を統べていたと言う"},
    {170, 35, "それは伝承となり"},
    {186, 30, "星へと受け継がれた"},
    {230, 65, "今、"},
    {246, 35, "その物語を語ろう。"},
    {290, 20, "Quillfen Presents"},
    {346, 50, "BrandelⅡ"},
};

}  // namespace

void TForm1::Timer1Timer() {
  FlipTick(Game.PlayCount < 10 ? "\\cg\\title.bmp" : "\\cg\\title2.bmp");
}

void TForm1::Timer2Timer() {
  FlipTick("\\cg\\tuzuku.bmp");
}

void TForm1::FlipTick(const char* pictureName) {
  if (Game.FlipStep == 0) {
    Game.FlipStep = 1;  // set first: a tick inside the error box must not load again
    try {
      cg->LoadFromFile(Asset(pictureName));
      cg2->LoadFromFile(Asset(pictureName));
      DescribeScene(cg, pictureName);
    } catch (const qtui::PictureLoadError& error) {
      // A missing picture leaves an empty display; the animation then draws nothing.
      cg->Clear();
      cg2->Clear();
      cg->Describe({}, {});
      ReportOnce(error.what(), Asset(pictureName));
    }
  }
  const int k = Game.FlipStep;
  cg->GetCanvas().CopyRect(kScene, cg2->GetCanvas(), FlipBand(k));
  Game.FlipStep = k + 1;
  if (Game.FlipStep > kFlipSteps) Game.FlipStep = 1;
}

void TForm1::StartNarration() {
  Timer1->stop();
  Timer3->start();
  if (!cg->HasPicture()) cg->NewPicture(kScene.right, kScene.bottom);  // the title may be missing
  qtui::Canvas& canvas = cg->GetCanvas();
  canvas.SetBrushColor(Qt::black);
  canvas.FillRect(kScene);
  canvas.SetFontSize(8);
  canvas.SetFontColor(QColor(255, 255, 255));
  canvas.SetFontName(QStringLiteral("ＭＳ Ｐゴシック"));
  Game.NarrationTick = 0;
  const SceneText narration = NarrationScene();
  cg->Describe(narration.name, narration.description);
}

void TForm1::Timer3Timer() {
  if (Game.NarrationTick > kNarrationEnd) return;
  Game.NarrationTick += 1;
  qtui::Canvas& canvas = cg->GetCanvas();
  canvas.CopyRect({0, 0, 150, 99}, canvas, {0, 1, 150, 100});
  for (const NarrationLine& line : kNarration) {
    if (line.tick != Game.NarrationTick) continue;
    const QString text = QString::fromUtf8(line.text);
    canvas.TextOut(line.x, kNarrationTop, text);
    // The crawl read out: its description grows by each line as the line appears.
    const QString told = cg->accessibleDescription();
    cg->Describe(cg->accessibleName(), told.isEmpty() ? text : told + QLatin1Char('\n') + text);
  }
}

}  // namespace brandel
