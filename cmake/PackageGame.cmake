# SPDX-License-Identifier: MIT
# `make package`: the game component as a Debian package, brandel2_<version>_<arch>.deb.
# dpkg-shlibdeps finds the libraries the program links; the fonts and the soundfont it opens by
# name, and Qt's Wayland platform plugin it loads on a Wayland desktop, are added by hand.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME brandel2)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "short story-and-battle game of a cat hero")
set(CPACK_PACKAGE_DESCRIPTION
    "A small Japanese story-and-battle game in one fixed window: a flipping title picture, an\n\
opening narration, story scenes told in message boxes, battles won by pressing attack and\n\
magic often enough, and a finale with music and an animated ending. Its sound effects are\n\
mixed in real time by the game's own 8-bit wave mixer; the music plays through FluidSynth.")
set(CPACK_PACKAGE_CONTACT "Brandel 2 packagers <brandel2@example.org>")
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "${CPACK_PACKAGE_CONTACT}")
set(CPACK_DEBIAN_PACKAGE_SECTION games)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS
    "fonts-ipafont-gothic, fonts-ipafont-mincho, timgm6mb-soundfont | sf2-soundfont-gm, qt6-wayland")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)

# Only the game: other components (the mixer's library and tools) are not part of this package.
set(CPACK_DEB_COMPONENT_INSTALL ON)
set(CPACK_COMPONENTS_ALL game)
set(CPACK_COMPONENTS_GROUPING ALL_COMPONENTS_IN_ONE)

include(CPack)
