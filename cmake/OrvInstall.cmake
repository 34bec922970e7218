# What `cmake --install` puts in place and what CPack packs into the Debian package: the two
# executables, their man pages (made at build time from the option tables), the user guide, the
# desktop entry with its icon, and the headless station's systemd unit with its configuration file.
include(GNUInstallDirs)

install(TARGETS orv orv-cli RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(FILES ${CMAKE_BINARY_DIR}/src/app/man/orv.1 ${CMAKE_BINARY_DIR}/src/app/man/orv-cli.1
        DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
install(FILES docs/guide/guide.html DESTINATION ${CMAKE_INSTALL_DOCDIR} RENAME user-guide.html)
install(FILES README.md DESTINATION ${CMAKE_INSTALL_DOCDIR})
install(FILES packaging/orv.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES packaging/orv.svg DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)

configure_file(packaging/orv-station.service.in ${CMAKE_BINARY_DIR}/packaging/orv-station.service @ONLY)
install(FILES ${CMAKE_BINARY_DIR}/packaging/orv-station.service DESTINATION lib/systemd/system)
# The configuration file lives in /etc for a /usr prefix (GNUInstallDirs' rule), else in PREFIX/etc.
install(FILES packaging/station.conf DESTINATION ${CMAKE_INSTALL_FULL_SYSCONFDIR}/orv)

set(CPACK_PACKAGE_NAME orv)
set(CPACK_PACKAGE_VENDOR "Orv developers")
set(CPACK_PACKAGE_CONTACT "Orv developers <orv@example.org>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "AO-40 telemetry ground station (desktop and headless)")
set(CPACK_PACKAGE_DESCRIPTION
    "Receives, logs, replays and displays the 400-baud telemetry of AMSAT OSCAR-40 (and the QO-100 beacon): "
    "the desktop program orv, the command-line tools and headless station orv-cli, and a systemd unit.")
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION hamradio)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_CONTROL_EXTRA ${CMAKE_BINARY_DIR}/packaging/conffiles)
file(WRITE ${CMAKE_BINARY_DIR}/packaging/conffiles "/etc/orv/station.conf\n")
include(CPack)
