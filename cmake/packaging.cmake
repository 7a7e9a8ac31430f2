# Installing the game, and the packages made from an installation: a Debian package on Linux,
# a zip from the Windows build. The version is the project's, everywhere.
include(GNUInstallDirs)

set(app_id org.nudgeboard.Nudgeboard)
set(staged ${CMAKE_BINARY_DIR}/packaging)

if(WIN32)
  # One folder: the two programs and a short read-me, nothing else.
  install(TARGETS nudgeboard nudgeboard-solve RUNTIME DESTINATION .)
  configure_file(data/README-windows.txt.in ${staged}/README.txt @ONLY NEWLINE_STYLE CRLF)
  install(FILES ${staged}/README.txt DESTINATION .)
  set(CPACK_GENERATOR ZIP)
  set(CPACK_PACKAGE_FILE_NAME nudgeboard-${PROJECT_VERSION}-windows-x86_64)
  set(CPACK_INCLUDE_TOPLEVEL_DIRECTORY OFF)
else()
  install(TARGETS nudgeboard nudgeboard-solve RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
  configure_file(data/${app_id}.metainfo.xml.in ${staged}/${app_id}.metainfo.xml @ONLY)
  # The menu entry names the program by its full path, as installed (CPack installs to /usr).
  install(CODE "set(bindir \"\${CMAKE_INSTALL_PREFIX}/${CMAKE_INSTALL_BINDIR}\")
                configure_file(${PROJECT_SOURCE_DIR}/data/${app_id}.desktop.in
                               ${staged}/${app_id}.desktop @ONLY)")
  install(FILES ${staged}/${app_id}.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
  install(FILES ${staged}/${app_id}.metainfo.xml DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
  install(FILES data/${app_id}.svg
          DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
  foreach(size 48 64 128 256)
    install(FILES data/icons/${app_id}-${size}.png
            DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps
            RENAME ${app_id}.png)
  endforeach()

  # Manual pages and the changelog go in compressed, without timestamps, as Debian wants them.
  foreach(page nudgeboard.6 nudgeboard-solve.6)
    configure_file(man/${page}.in ${staged}/${page} @ONLY)
  endforeach()
  configure_file(data/changelog.in ${staged}/changelog @ONLY)
  set(compressed)
  foreach(file nudgeboard.6 nudgeboard-solve.6 changelog)
    add_custom_command(OUTPUT ${staged}/${file}.gz
                       COMMAND gzip -9 -n -f -k ${staged}/${file}
                       DEPENDS ${staged}/${file})
    list(APPEND compressed ${staged}/${file}.gz)
  endforeach()
  add_custom_target(compressed_docs ALL DEPENDS ${compressed})
  install(FILES ${staged}/nudgeboard.6.gz ${staged}/nudgeboard-solve.6.gz
          DESTINATION ${CMAKE_INSTALL_MANDIR}/man6)
  install(FILES ${staged}/changelog.gz data/copyright
          DESTINATION ${CMAKE_INSTALL_DOCDIR})

  set(CPACK_GENERATOR DEB)
  set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
  set(CPACK_DEBIAN_PACKAGE_SECTION games)
  set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
  # Dependencies come from the binaries themselves, but for Qt's Wayland platform plugin, which
  # the game loads only at run time: with it the game plays natively on a Wayland desktop.
  set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
  set(CPACK_DEBIAN_PACKAGE_DEPENDS qt6-wayland)
  set(CPACK_STRIP_FILES ON)
endif()

set(CPACK_PACKAGE_NAME nudgeboard)
set(CPACK_PACKAGE_VENDOR "The Nudgeboard developers")
set(CPACK_PACKAGE_CONTACT "The Nudgeboard developers <developers@nudgeboard.org>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "sliding-block puzzle with a play board and a goal board")
set(CPACK_PACKAGE_DESCRIPTION "Nudgeboard shows two 6x6 boards side by side: the play board, with coloured
pieces among grey walls and empty squares, and the goal board, the pattern the
play board must reach. Select a piece with the mouse and slide it with the
arrow keys; a move counter compares your moves with each level's par. Eight
levels are built in.

nudgeboard-solve finds the fewest moves that solve each level.")
set(CPACK_PACKAGE_DIRECTORY ${CMAKE_BINARY_DIR}/packages)
include(CPack)
