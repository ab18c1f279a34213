// SPDX-License-Identifier: MIT
#pragma once
// The launcher icon: the hero's portrait from the game's own character art on a sky badge.
// Small sizes are drawn as pixel art of their own; the big ones enlarge the 32-pixel drawing
// nearest-neighbour, so they keep its square pixels.

#include <QImage>
#include <span>

// The sizes the desktop's icon theme takes, in pixels.
std::span<const int> IconSizes();

// The icon at one of IconSizes(), with a transparent background.
QImage DrawIcon(int size);
