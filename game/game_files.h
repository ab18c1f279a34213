// SPDX-License-Identifier: MIT
// Where the game's files are: the assets it reads (cg/, dat/, the waves) and the play record it
// keeps. A build tree or a copied folder holds both beside the program; an installed game reads
// its assets from ../share/brandel2 and keeps the record in the player's data folder.
#pragma once

#include <string>

namespace brandel {

struct GameFiles {
  std::string assetFolder;  // ends in '/'
  std::string recordPath;   // my.dat

  // Everything in one folder (which ends in '/'): the assets and the record beside them.
  static GameFiles InFolder(const std::string& folder);
  // The fresh record an installed game starts from: my.dat among the assets.
  std::string InitialRecord() const;
};

// Decides for a program in programFolder (ending in '/'):
// - assets beside the program when its cg/ folder is there, else in ../share/brandel2 when that
//   holds cg/, else beside the program (where the boxes then name the missing files);
// - the record beside the program when that folder is writable and holds a record or the
//   assets; else dataHome/brandel2/my.dat; beside the program when dataHome is empty.
GameFiles LocateGameFiles(const std::string& programFolder, const std::string& dataHome);

// $XDG_DATA_HOME when it is an absolute path, else ~/.local/share; empty without a home.
std::string UserDataHome();
// $XDG_CONFIG_HOME when it is an absolute path, else ~/.config; empty without a home.
std::string UserConfigHome();

// A record kept apart from the assets gets its folder and, at the first start, a copy of the
// initial record. A failure here is left for the record's reading to report.
void PrepareRecord(const GameFiles& files);

}  // namespace brandel
