# `cmake --install` and the package. The player lives in a program folder of its own with
# skin/ and the artist menu data beside it (it finds them beside itself, as in the build
# tree); a launcher on the path points at it. The desktop entries, the hicolor icons and
# the server's systemd unit are written at install time, when the prefix is known.
include(GNUInstallDirs)

set(LUMIQO_PROGRAM_DIR lib/lumiqo CACHE STRING "The player's own folder under the install prefix")
# PNG icons lumiqo-<size>.png of the skin generator; LUMIQO_ICON_DIR in the environment of
# the install takes them from elsewhere.
set(LUMIQO_ICON_DIR ${CMAKE_BINARY_DIR}/generated/icons)
set(dist_out ${CMAKE_BINARY_DIR}/dist)

install(TARGETS lumiqo RUNTIME DESTINATION ${LUMIQO_PROGRAM_DIR})
# The decoder library is loaded from the program's own folder.
install(TARGETS lumiqo_decoder LIBRARY DESTINATION ${LUMIQO_PROGRAM_DIR})
install(DIRECTORY ${LUMIQO_BIN_DIR}/skin DESTINATION ${LUMIQO_PROGRAM_DIR})
install(FILES ${PROJECT_SOURCE_DIR}/data/artists.txt DESTINATION ${LUMIQO_PROGRAM_DIR})
install(TARGETS lumiqo-server RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})

# The launcher: a relative symbolic link, so the installed tree can move as a whole.
file(RELATIVE_PATH launcher_target /${CMAKE_INSTALL_BINDIR} /${LUMIQO_PROGRAM_DIR}/lumiqo)
file(MAKE_DIRECTORY ${dist_out})
file(CREATE_LINK ${launcher_target} ${dist_out}/lumiqo SYMBOLIC)
install(FILES ${dist_out}/lumiqo DESTINATION ${CMAKE_INSTALL_BINDIR})

install(CODE "
  set(LUMIQO_DIST_SOURCE \"${PROJECT_SOURCE_DIR}/dist\")
  set(LUMIQO_DIST_BINARY \"${dist_out}\")
  set(LUMIQO_BINDIR \"${CMAKE_INSTALL_BINDIR}\")
  set(LUMIQO_DATADIR \"${CMAKE_INSTALL_DATADIR}\")
  set(LUMIQO_ICON_DIR \"${LUMIQO_ICON_DIR}\")
")
install(SCRIPT ${CMAKE_CURRENT_LIST_DIR}/install_desktop_files.cmake)
install(FILES ${dist_out}/lumiqo.desktop ${dist_out}/qorvex-url.desktop
        DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${dist_out}/lumiqo-server.service DESTINATION lib/systemd/system)
