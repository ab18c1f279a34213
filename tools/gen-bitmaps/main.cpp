// SPDX-License-Identifier: MIT
// gen-bitmaps OUTDIR [NAME...]: draws the named pictures (all of them without names) as
// OUTDIR/NAME.bmp.
// gen-bitmaps --icons OUTDIR: draws the launcher icon as OUTDIR/<N>x<N>/apps/brandel2.png for
// each size of an icon theme.

#include <QDir>
#include <QGuiApplication>
#include <cstdio>
#include <cstring>
#include <string>

#include "bmp_writer.h"
#include "draw.h"
#include "icons.h"
#include "scenes.h"

namespace {

const Scene* FindScene(const char* name) {
  for (const Scene& scene : AllScenes()) {
    if (std::strcmp(scene.name, name) == 0) return &scene;
  }
  return nullptr;
}

bool Render(const Scene& scene, const std::string& dir) {
  QImage image = NewPicture();
  QPainter painter;
  BeginPixelArt(painter, image);
  scene.draw(painter);
  painter.end();
  const std::string path = dir + "/" + scene.name + ".bmp";
  if (!WriteBmp24(path, image)) {
    std::perror(path.c_str());
    return false;
  }
  return true;
}

bool WriteIcons(const QString& dir) {
  for (int size : IconSizes()) {
    const QString folder = QStringLiteral("%1/%2x%2/apps").arg(dir).arg(size);
    const QString path = folder + "/brandel2.png";
    if (!QDir().mkpath(folder) || !DrawIcon(size).save(path, "PNG")) {
      std::fprintf(stderr, "gen-bitmaps: cannot write %s\n", qPrintable(path));
      return false;
    }
  }
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: %s OUTDIR [NAME...] | --icons OUTDIR\n", argv[0]);
    return 2;
  }
  // Text needs Qt's font database, which needs an application; no window is ever shown.
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  int qtArgc = 1;
  QGuiApplication app(qtArgc, argv);

  if (std::strcmp(argv[1], "--icons") == 0) {
    if (argc != 3) {
      std::fprintf(stderr, "usage: %s --icons OUTDIR\n", argv[0]);
      return 2;
    }
    return WriteIcons(QString::fromLocal8Bit(argv[2])) ? 0 : 1;
  }
  const std::string dir = argv[1];
  bool ok = true;
  if (argc == 2) {
    for (const Scene& scene : AllScenes()) ok = Render(scene, dir) && ok;
  }
  for (int i = 2; i < argc; ++i) {
    const Scene* scene = FindScene(argv[i]);
    if (scene == nullptr) {
      std::fprintf(stderr, "%s: no picture named %s\n", argv[0], argv[i]);
      ok = false;
      continue;
    }
    ok = Render(*scene, dir) && ok;
  }
  return ok ? 0 : 1;
}
