# `cpack -G DEB` in the build folder: one package with the player and the server, its
# run-time dependencies computed from the binaries (dpkg-shlibdeps).
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME lumiqo)
set(CPACK_PACKAGE_VENDOR Lumiqo)
set(CPACK_PACKAGE_CONTACT "Lumiqo maintainers <maintainers@lumiqo.invalid>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "net-radio player with synchronised lyrics, and its catalogue server")
set(CPACK_PACKAGE_DESCRIPTION
    "Lumiqo plays the songs of an online catalogue (start list, charts, artists,
searches and a local favourites list) and scrolls their LRC lyrics in step.
lumiqo-server plays every remote part of that catalogue; its systemd unit
lumiqo-server.service is installed disabled.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION sound)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# Chinese text needs a CJK font; sound needs a sound server (or ALSA).
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "fonts-wqy-microhei | fonts-noto-cjk, pulseaudio | pipewire-pulse")
set(CPACK_DEBIAN_PACKAGE_CONTROL_EXTRA
    ${PROJECT_SOURCE_DIR}/dist/deb/postinst ${PROJECT_SOURCE_DIR}/dist/deb/prerm ${PROJECT_SOURCE_DIR}/dist/deb/postrm)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
include(CPack)
