// SPDX-License-Identifier: MIT
// Pixel tests of the title/ending flip and of the narration crawl, on cg's 150 x 100 picture.
#include <QFile>
#include <set>
#include <tuple>

#include "game/game_variables.h"
#include "game_fixture.h"

namespace brandel::testing {
namespace {

// Row r of the row picture has red = r, so each drawn row tells its source row.
std::vector<int> SourceRows(const QImage& picture) {
  std::vector<int> rows;
  for (int y = 0; y < picture.height(); ++y) {
    const QRgb left = picture.pixel(0, y);
    for (int x = 1; x < picture.width(); ++x)
      EXPECT_EQ(picture.pixel(x, y), left) << "row " << y << " is not one row";
    EXPECT_EQ(left, RowColour(qRed(left))) << "row " << y << " holds no source row";
    rows.push_back(qRed(left));
  }
  return rows;
}

class FlipTest : public GameTest {
 protected:
  void SetUp() override {
    GameTest::SetUp();
    WriteAllPictures();
    SavePicture("title.bmp", RowPicture());
    WriteRecord("\r\n0\r\n0\r\n0\r\n0\r\n");
    Start();
  }

  // Ticks the title until `step` has been drawn; returns the picture.
  QImage DrawThrough(int step) {
    while (drawn_ < step) {
      EXPECT_EQ(Game.FlipStep, drawn_ == 0 ? 0 : drawn_ + 1);
      form_->Timer1Timer();
      ++drawn_;
    }
    return form_->cg->Picture();
  }

  int drawn_ = 0;
};

TEST_F(FlipTest, StepOneStretchesRowsOneTo98OverTheWholeScene) {
  const std::vector<int> rows = SourceRows(DrawThrough(1));
  EXPECT_EQ(rows.front(), 1);
  EXPECT_EQ(rows.back(), 98);
  for (std::size_t y = 1; y < rows.size(); ++y) {
    EXPECT_GE(rows[y], rows[y - 1]) << "upright";
    EXPECT_LE(rows[y] - rows[y - 1], 1) << "no band row skipped";
  }
  EXPECT_EQ(Game.FlipStep, 2);
  EXPECT_EQ(form_->cg2->Picture(), RowPicture()) << "the copy stays untouched";
}

TEST_F(FlipTest, StepFortyNineIsTwoRowsAndStepFiftyDrawsNothing) {
  const std::vector<int> rows = SourceRows(DrawThrough(49));
  EXPECT_EQ(std::set<int>(rows.begin(), rows.end()), (std::set<int>{49, 50}));
  const QImage step49 = form_->cg->Picture();
  EXPECT_EQ(DrawThrough(50), step49);
}

TEST_F(FlipTest, StepHundredIsTheWholePictureUpsideDown) {
  const std::vector<int> rows = SourceRows(DrawThrough(100));
  for (int y = 0; y < 100; ++y) EXPECT_EQ(rows[y], 99 - y);
}

TEST_F(FlipTest, MirroredStepsShowTheBandUpsideDown) {
  const std::vector<int> rows = SourceRows(DrawThrough(120));  // band 80..20, mirrored
  EXPECT_EQ(rows.front(), 79);
  EXPECT_EQ(rows.back(), 20);
  for (std::size_t y = 1; y < rows.size(); ++y) EXPECT_LE(rows[y], rows[y - 1]);
}

TEST_F(FlipTest, StepHundredFiftyDrawsNothing) {
  const QImage step149 = DrawThrough(149);
  EXPECT_EQ(std::set<int>({SourceRows(step149).front(), SourceRows(step149).back()}),
            (std::set<int>{50, 49}));
  EXPECT_EQ(DrawThrough(150), step149);
}

TEST_F(FlipTest, StepHundredNinetyNineIsStepOneAgainAndTheCycleWrapsWithoutReloading) {
  const QImage step1 = DrawThrough(1);
  EXPECT_EQ(DrawThrough(199), step1);
  EXPECT_EQ(Game.FlipStep, 1);

  // The picture file is read only at step 0: the next cycle runs from the copy.
  ASSERT_TRUE(QFile::remove(QString::fromStdString(PicturePath("title.bmp"))));
  form_->cg->GetCanvas().SetBrushColor(Qt::black);
  form_->cg->GetCanvas().FillRect({0, 0, 150, 100});
  form_->Timer1Timer();
  EXPECT_EQ(form_->cg->Picture(), step1);
  EXPECT_EQ(Game.FlipStep, 2);
  EXPECT_TRUE(BoxTexts().empty());
}

TEST_F(GameTest, TenthStartShowsTheSecondTitle) {
  WriteAllPictures();
  WriteRecord("\r\n8\r\n0\r\n0\r\n0\r\n");
  Start().Timer1Timer();
  EXPECT_EQ(ShownPicture(), "title.bmp");
  form_.reset();
  Game = {};
  WriteRecord("\r\n9\r\n0\r\n0\r\n0\r\n");
  Start().Timer1Timer();
  EXPECT_EQ(ShownPicture(), "title2.bmp");
}

TEST_F(GameTest, MissingTitleIsReportedOnceAndLeavesAnEmptyDisplay) {
  WriteAllPictures();
  WriteRecord("\r\n0\r\n0\r\n0\r\n0\r\n");
  ASSERT_TRUE(QFile::remove(QString::fromStdString(PicturePath("title.bmp"))));
  TForm1& form = Start();
  form.cg->LoadFromFile(PicturePath("sakana0.bmp"));
  // Timers keep firing while the error box is open.
  boxes_.WhileOpen([&form](const auto&) { form.Timer1Timer(); });
  for (int tick = 0; tick < 450; ++tick) form.Timer1Timer();
  const auto boxes = Boxes();
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_EQ(boxes[0].kind, qtui::ScriptedDialogs::Kind::Error);
  // One language, and one separator between the folder and the name.
  EXPECT_EQ(boxes[0].text,
            "ビットマップを読み込めません（ファイルがありません）\r" + Folder() + "cg/title.bmp");
  EXPECT_FALSE(form.cg->HasPicture());

  // The narration still has a black picture to crawl on.
  boxes_.WhileOpen(nullptr);
  form.start_b->click();
  ASSERT_TRUE(form.cg->HasPicture());
  EXPECT_EQ(form.cg->Picture().pixel(75, 50), qRgb(0, 0, 0));
}

TEST_F(GameTest, MissingEndingPictureIsReportedOnce) {
  WriteAllPictures();
  WriteRecord("\r\n0\r\n0\r\n0\r\n0\r\n");
  ASSERT_TRUE(QFile::remove(QString::fromStdString(PicturePath("tuzuku.bmp"))));
  TForm1& form = Start();
  form.start_b->setText(QStringLiteral("！！"));
  form.start_b->click();
  ASSERT_TRUE(form.Timer2->isActive());
  for (int tick = 0; tick < 450; ++tick) form.Timer2Timer();
  EXPECT_EQ(Boxes().size(), 1u);
  EXPECT_FALSE(form.cg->HasPicture());
}

class NarrationTest : public GameTest {
 protected:
  void SetUp() override {
    GameTest::SetUp();
    WriteAllPictures();
    WriteRecord("\r\n0\r\n0\r\n0\r\n0\r\n");
    Start();
    form_->Timer1Timer();
    form_->start_b->click();
  }

  void TickThrough(int tick) {
    while (Game.NarrationTick < tick) form_->Timer3Timer();
  }

  // Bounds of the white (text) pixels; an empty rectangle when there are none.
  static QRect WhiteArea(const QImage& picture) {
    QRect area;
    for (int y = 0; y < picture.height(); ++y) {
      for (int x = 0; x < picture.width(); ++x) {
        if (picture.pixel(x, y) == qRgb(255, 255, 255)) area |= QRect(x, y, 1, 1);
      }
    }
    return area;
  }
};

TEST_F(NarrationTest, SetUpPaintsTheSceneBlackAndSwitchesTimers) {
  const QImage& picture = form_->cg->Picture();
  for (int y = 0; y < 100; ++y) {
    for (int x = 0; x < 150; ++x) ASSERT_EQ(picture.pixel(x, y), qRgb(0, 0, 0)) << x << "," << y;
  }
  EXPECT_FALSE(form_->Timer1->isActive());
  EXPECT_TRUE(form_->Timer3->isActive());
  EXPECT_EQ(Game.NarrationTick, 0);
  EXPECT_EQ(form_->start_b->text().toStdString(), "opを飛ばす");
}

// The narration's picture as it must look: black, with the given lines drawn at their places.
QImage Expected(std::initializer_list<std::tuple<int, int, const char*>> lines) {
  qtui::PictureControl reference(nullptr, false);
  reference.NewPicture(150, 100);
  qtui::Canvas& canvas = reference.GetCanvas();
  canvas.SetBrushColor(Qt::black);
  canvas.FillRect({0, 0, 150, 100});
  canvas.SetFontSize(8);
  canvas.SetFontColor(QColor(255, 255, 255));
  canvas.SetFontName(QStringLiteral("ＭＳ Ｐゴシック"));
  for (const auto& [x, y, text] : lines) canvas.TextOut(x, y, QString::fromUtf8(text));
  return reference.Picture();
}

TEST_F(NarrationTest, LinesStandAtTheirPlacesAndMoveUpOnePixelPerTick) {
  TickThrough(1);
  const QRect first = WhiteArea(form_->cg->Picture());
  ASSERT_FALSE(first.isEmpty());
  EXPECT_GE(first.left(), 20);
  EXPECT_EQ(form_->cg->Picture(), Expected({{20, 80, "神がおられるというのに"}}));

  TickThrough(11);
  EXPECT_EQ(form_->cg->Picture(), Expected({{20, 70, "神がおられるというのに"}}));
  TickThrough(16);
  EXPECT_EQ(form_->cg->Picture(),
            Expected({{20, 65, "神がおられるというのに"}, {10, 80, "何故争いが絶えないのだろう"}}));
  TickThrough(100);
  EXPECT_EQ(form_->cg->Picture(), Expected({{20, 80 - 99, "神がおられるというのに"},
                                            {10, 80 - 84, "何故争いが絶えないのだろう"},
                                            {20, 80 - 40, "かつて、スズタル艦長の"},
                                            {0, 80 - 24, "失態によって生れた猫人の星の"},
                                            {10, 80 - 8, "住人達は、不思議な力を操り"}}));
}

TEST_F(NarrationTest, CrawlStopsAfterTick401WithOnlyTheLastLineLeft) {
  TickThrough(401);
  const QImage end = form_->cg->Picture();
  EXPECT_EQ(end, Expected({{50, 25, "BrandelⅡ"}}));
  for (int tick = 0; tick < 20; ++tick) form_->Timer3Timer();
  EXPECT_EQ(Game.NarrationTick, 401);
  EXPECT_EQ(form_->cg->Picture(), end);
  EXPECT_TRUE(form_->Timer3->isActive());

  form_->start_b->click();
  EXPECT_EQ(ShownPicture(), "sakana0.bmp");
  EXPECT_EQ(form_->start_b->text().toStdString(), "２面へいく");
  EXPECT_FALSE(form_->Timer3->isActive());
}

}  // namespace
}  // namespace brandel::testing
