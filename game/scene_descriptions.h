// SPDX-License-Identifier: MIT
// What each picture of the scene display shows, in words, for screen readers: a short name and
// a sentence. The pictures are the game's own (drawn by gen-bitmaps), so are the words.
#pragma once

#include <QString>

namespace brandel {

struct SceneText {
  QString name;         // short: what kind of scene
  QString description;  // what is in the picture
};

// By the picture's name as the game gives it ("\cg\title.bmp"); an empty text for a name the
// game does not use.
SceneText SceneTextOf(const QString& pictureName);

// The opening narration, before its first line.
SceneText NarrationScene();

}  // namespace brandel
