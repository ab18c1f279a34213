// SPDX-License-Identifier: MIT
// The Windows font names the game asks for, mapped to the IPA fonts Debian ships.
#pragma once

namespace qtui {

// Maps "ＭＳ Ｐゴシック"/"MS PGothic" to IPAPGothic and "ＭＳ Ｐ明朝"/"MS PMincho" to IPAPMincho.
// Call once after the application object exists and before any text is drawn.
void InstallFontSubstitutions();

}  // namespace qtui
