# Runs at install time (cmake --install, cpack): writes the desktop entries and the server's
# unit with the programs' installed paths, and installs the icons the build has.
# Set by the install rules: LUMIQO_DIST_SOURCE, LUMIQO_DIST_BINARY, LUMIQO_BINDIR,
# LUMIQO_DATADIR, LUMIQO_ICON_DIR.

# A path as the Exec value of a desktop entry takes it: quoted when it holds a reserved
# character, with '"', '`', '$' and '\' escaped inside the quotes; then every backslash is
# escaped once more (the value's own escaping) and '%' doubled.
function(desktop_exec_word path out)
  if(path MATCHES "[] \t\"'\\><~|&;$*?#()`[]")
    foreach(c "\\" "\"" "`" "$")
      string(REPLACE "${c}" "\\${c}" path "${path}")
    endforeach()
    set(path "\"${path}\"")
  endif()
  string(REPLACE "\\" "\\\\" path "${path}")
  string(REPLACE "%" "%%" path "${path}")
  set(${out} "${path}" PARENT_SCOPE)
endfunction()

# A path as a systemd unit's ExecStart takes it: quoted, '\' and '"' escaped, '$' and '%'
# doubled.
function(unit_exec_word path out)
  string(REPLACE "\\" "\\\\" path "${path}")
  string(REPLACE "\"" "\\\"" path "${path}")
  string(REPLACE "$" "$$" path "${path}")
  string(REPLACE "%" "%%" path "${path}")
  set(${out} "\"${path}\"" PARENT_SCOPE)
endfunction()

set(bindir "${CMAKE_INSTALL_PREFIX}/${LUMIQO_BINDIR}")
desktop_exec_word("${bindir}/lumiqo" player)
set(LUMIQO_EXEC "${player} %u")
unit_exec_word("${bindir}/lumiqo-server" LUMIQO_SERVER_EXEC)
foreach(file lumiqo.desktop qorvex-url.desktop lumiqo-server.service)
  configure_file("${LUMIQO_DIST_SOURCE}/${file}.in" "${LUMIQO_DIST_BINARY}/${file}" @ONLY)
endforeach()

if(DEFINED ENV{LUMIQO_ICON_DIR})
  set(LUMIQO_ICON_DIR "$ENV{LUMIQO_ICON_DIR}")
endif()
foreach(size 16 22 24 32 48 64 128 256)
  set(icon "${LUMIQO_ICON_DIR}/lumiqo-${size}.png")
  if(EXISTS "${icon}")
    file(INSTALL DESTINATION "${CMAKE_INSTALL_PREFIX}/${LUMIQO_DATADIR}/icons/hicolor/${size}x${size}/apps"
         TYPE FILE RENAME lumiqo.png FILES "${icon}")
  endif()
endforeach()
