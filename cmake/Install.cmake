# What `cmake --install` puts where, and the .deb and .tar.gz that CPack makes of it.
#   bin/tavoni, bin/tavoni-ranking-server
#   share/tavoni/dat/...      the read-only game data (images, sounds, the town map), share/tavoni/collision.png
#   share/locale/en/LC_MESSAGES/tavoni.mo   the English texts
#   share/applications/, share/icons/hicolor/<N>x<N>/apps/, share/metainfo/, share/man/man6/tavoni.6,
#   share/man/man8/tavoni-ranking-server.8
#   share/mime/packages/jp.tavoni.Tavoni.xml  the replay files' type (application/x-tavoni-replay)
#   lib/systemd/system/tavoni-ranking-server.service
include(GNUInstallDirs)

set(TAVONI_APP_ID jp.tavoni.Tavoni)

install(TARGETS tavoni tavoni-ranking-server RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
# The player's files (dat/replay/, downloaded_replay/) are never part of the installed data.
install(DIRECTORY ${CMAKE_SOURCE_DIR}/dat/ DESTINATION ${CMAKE_INSTALL_DATADIR}/tavoni/dat
        PATTERN replay EXCLUDE PATTERN setting.dat EXCLUDE PATTERN tips.dat EXCLUDE PATTERN volume.dat EXCLUDE
        PATTERN window.dat EXCLUDE PATTERN ranking_server.txt EXCLUDE)
install(FILES ${CMAKE_SOURCE_DIR}/collision.png DESTINATION ${CMAKE_INSTALL_DATADIR}/tavoni)
install(FILES ${TAVONI_CATALOG} DESTINATION ${CMAKE_INSTALL_LOCALEDIR}/en/LC_MESSAGES)
install(FILES ${CMAKE_SOURCE_DIR}/dist/${TAVONI_APP_ID}.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${CMAKE_SOURCE_DIR}/dist/${TAVONI_APP_ID}.metainfo.xml DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
# A file manager or a browser opens replay files with the game (the desktop entry names the type); the
# package manager's trigger rebuilds the MIME database.
install(FILES ${CMAKE_SOURCE_DIR}/dist/${TAVONI_APP_ID}.xml DESTINATION ${CMAKE_INSTALL_DATADIR}/mime/packages)
foreach(size 48 128 256)
    install(FILES ${CMAKE_SOURCE_DIR}/dist/icons/${size}x${size}/${TAVONI_APP_ID}.png
            DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps)
endforeach()
install(FILES ${CMAKE_SOURCE_DIR}/dist/tavoni.6 DESTINATION ${CMAKE_INSTALL_MANDIR}/man6)
install(FILES ${CMAKE_SOURCE_DIR}/dist/tavoni-ranking-server.8 DESTINATION ${CMAKE_INSTALL_MANDIR}/man8)
# The unit names the installed programs, so it is written at install time, when the prefix is known.
install(CODE "
    set(TAVONI_INSTALL_FULL_BINDIR \"\${CMAKE_INSTALL_PREFIX}/${CMAKE_INSTALL_BINDIR}\")
    set(TAVONI_INSTALL_FULL_DATADIR \"\${CMAKE_INSTALL_PREFIX}/${CMAKE_INSTALL_DATADIR}/tavoni\")
    configure_file(\"${CMAKE_SOURCE_DIR}/server/tavoni-ranking-server.service.in\"
                   \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/lib/systemd/system/tavoni-ranking-server.service\" @ONLY)
    message(STATUS \"Installing: \$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/lib/systemd/system/tavoni-ranking-server.service\")
")

set(CPACK_PACKAGE_NAME tavoni)
set(CPACK_PACKAGE_VENDOR "The tavoni developers")
set(CPACK_PACKAGE_CONTACT "The tavoni developers <tavoni@localhost>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "${PROJECT_DESCRIPTION}")
set(CPACK_PACKAGE_DESCRIPTION "Two heroines walk a seaside town, fight food-themed enemies, collect the
ingredients they drop and carry them to hungry Varno against a two-minute countdown. With a local high
score kept as an exact replay, an online ranking with replays, and its ranking server.")
set(CPACK_GENERATOR "DEB;TGZ")
set(CPACK_PACKAGE_DIRECTORY ${CMAKE_BINARY_DIR}/package)
set(CPACK_STRIP_FILES ON)
# Packages hold the tree under CMAKE_INSTALL_PREFIX (scripts/package sets /usr): the unit, written by install
# code, then names the paths the package really installs.
set(CPACK_SET_DESTDIR ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION games)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# A Japanese font is found through fontconfig at start-up; VL Gothic is the one the game is drawn with.
set(CPACK_DEBIAN_PACKAGE_DEPENDS "fonts-vlgothic | fonts-japanese-gothic")
# The .tar.gz unpacks anywhere: <prefix>/bin/tavoni finds <prefix>/share/tavoni beside it.
set(CPACK_ARCHIVE_COMPONENT_INSTALL OFF)
include(CPack)
