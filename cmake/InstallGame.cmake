# SPDX-License-Identifier: MIT
# Installs the game the Linux way, as the component "game": the program in bin/, what it reads
# in share/brandel2/ (the program looks for ../share/brandel2 beside its own folder, so the tree
# can be moved as a whole), the launcher, the icons, the software-centre record and the manual
# page. The play record of an installed game lives in the player's data folder; the copy here
# is the fresh record its first start begins from.
set(BRANDEL_SHARE_DIR share/brandel2)
# games/ in the Debian package, as Debian places games; the files stay in share/brandel2, which
# the program finds beside either folder.
set(BRANDEL_GAME_BINDIR bin CACHE STRING "Where the game's program is installed, below the prefix")

install(TARGETS brandel2 RUNTIME DESTINATION ${BRANDEL_GAME_BINDIR} COMPONENT game)

install(DIRECTORY ${BRANDEL_BIN_DIR}/cg DESTINATION ${BRANDEL_SHARE_DIR} COMPONENT game
        FILES_MATCHING PATTERN "*.bmp")
install(FILES ${BRANDEL_BIN_DIR}/dat/1.mid DESTINATION ${BRANDEL_SHARE_DIR}/dat COMPONENT game)
install(FILES ${BRANDEL_BIN_DIR}/1.wav ${BRANDEL_BIN_DIR}/2.wav ${PROJECT_SOURCE_DIR}/assets/my.dat
        DESTINATION ${BRANDEL_SHARE_DIR} COMPONENT game)

set(desktop_build ${PROJECT_BINARY_DIR}/desktop)
install(FILES ${PROJECT_SOURCE_DIR}/desktop/org.example.brandel2.desktop
        DESTINATION share/applications COMPONENT game)
install(DIRECTORY ${BRANDEL_ICON_DIR} DESTINATION share/icons COMPONENT game)
install(FILES ${desktop_build}/org.example.brandel2.metainfo.xml
        DESTINATION share/metainfo COMPONENT game)
install(FILES ${desktop_build}/brandel2.6 DESTINATION share/man/man6 COMPONENT game)
