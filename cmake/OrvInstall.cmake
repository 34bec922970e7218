# What `cmake --install` puts in place and what CPack packs into the Debian package: the two
# executables, their man pages (made at build time from the option tables), the user guide, the
# desktop entry with its icon, and the headless station's systemd unit with its configuration file.
include(GNUInstallDirs)

install(TARGETS orv orv-cli RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(FILES ${CMAKE_BINARY_DIR}/src/app/man/orv.1 ${CMAKE_BINARY_DIR}/src/app/man/orv-cli.1
        DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
install(FILES docs/guide/guide.html DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/orv RENAME user-guide.html)
# The guide's pictures beside it, as it names them.
file(GLOB ORV_GUIDE_PICTURES ${PROJECT_SOURCE_DIR}/docs/guide/*.png)
install(FILES ${ORV_GUIDE_PICTURES} DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/orv)
install(FILES README.md DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/orv)
install(FILES packaging/orv.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES packaging/orv.svg DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)

# The unit names the installed program and configuration file, so both paths follow the prefix
# given at install time (`cmake --install --prefix`, CPack's /usr): the configuration file lives
# in /etc for the /usr prefix (as GNUInstallDirs has it), else in PREFIX/etc.
install(CODE "set(ORV_PACKAGING_DIR \"${CMAKE_CURRENT_SOURCE_DIR}/packaging\")
              set(orv_staging \"${CMAKE_CURRENT_BINARY_DIR}/packaging\")")
install(CODE [[
  if(CMAKE_INSTALL_PREFIX STREQUAL "/usr")
    set(CMAKE_INSTALL_FULL_SYSCONFDIR "/etc")
  else()
    set(CMAKE_INSTALL_FULL_SYSCONFDIR "${CMAKE_INSTALL_PREFIX}/etc")
  endif()
  set(CMAKE_INSTALL_FULL_BINDIR "${CMAKE_INSTALL_PREFIX}/bin")
  configure_file("${ORV_PACKAGING_DIR}/orv-station.service.in" "${orv_staging}/orv-station.service" @ONLY)
  file(INSTALL "${orv_staging}/orv-station.service" DESTINATION "${CMAKE_INSTALL_PREFIX}/lib/systemd/system")
  file(INSTALL "${ORV_PACKAGING_DIR}/station.conf" DESTINATION "${CMAKE_INSTALL_FULL_SYSCONFDIR}/orv")
]])

set(CPACK_PACKAGE_NAME orv)
set(CPACK_PACKAGE_VENDOR "Orv developers")
set(CPACK_PACKAGE_CONTACT "Orv developers <orv@example.org>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "AO-40 telemetry ground station (desktop and headless)")
set(CPACK_PACKAGE_DESCRIPTION
    "Receives, logs, replays and displays the 400-baud telemetry of AMSAT OSCAR-40 (and the QO-100 beacon): "
    "the desktop program orv, the command-line tools and headless station orv-cli, and a systemd unit.")
set(CPACK_GENERATOR DEB)
set(CPACK_SET_DESTDIR ON)  # the staging root is DESTDIR, so /etc lands in the package
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION hamradio)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# The windows need a Qt platform plugin, which no library dependency brings in.
set(CPACK_DEBIAN_PACKAGE_DEPENDS "qt6-qpa-plugins")
set(CPACK_DEBIAN_PACKAGE_CONTROL_EXTRA ${CMAKE_BINARY_DIR}/packaging/conffiles)
file(WRITE ${CMAKE_BINARY_DIR}/packaging/conffiles "/etc/orv/station.conf\n")
include(CPack)
