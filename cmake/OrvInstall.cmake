# What `cmake --install` puts in place and what CPack packs into two Debian packages, one per
# install component:
#   station (package orv-station): orv-cli and its program module (libexec/orv; a private module, so no ldconfig), its man page, the systemd unit with its configuration
#     file and logrotate file, the README with the docs/ pages it links to. No GUI library.
#   desktop (package orv): the desktop program, its man page, desktop entry, icon and user guide;
#     it depends on orv-station.
# Each package has its copyright file (DEP-5) and changelog; man pages and changelogs are gzipped.
include(GNUInstallDirs)

# The gzipped man pages and changelog (gzip -n: the same bytes in every build).
set(orv_packaging_build ${CMAKE_BINARY_DIR}/packaging)
set(orv_man ${CMAKE_BINARY_DIR}/src/app/man)
find_program(ORV_GZIP gzip REQUIRED)
add_custom_command(OUTPUT ${orv_man}/orv.1.gz ${orv_man}/orv-cli.1.gz ${orv_packaging_build}/changelog.gz
  COMMAND ${CMAKE_COMMAND} -E make_directory ${orv_packaging_build}
  COMMAND ${ORV_GZIP} -9nc ${orv_man}/orv.1 > ${orv_man}/orv.1.gz
  COMMAND ${ORV_GZIP} -9nc ${orv_man}/orv-cli.1 > ${orv_man}/orv-cli.1.gz
  COMMAND ${ORV_GZIP} -9nc ${CMAKE_SOURCE_DIR}/packaging/changelog > ${orv_packaging_build}/changelog.gz
  DEPENDS ${orv_man}/orv.1 ${orv_man}/orv-cli.1 ${CMAKE_SOURCE_DIR}/packaging/changelog
  COMMENT "Gzipped man pages and changelog")
add_custom_target(orv_gzipped_docs ALL DEPENDS ${orv_man}/orv.1.gz ${orv_man}/orv-cli.1.gz
                                               ${orv_packaging_build}/changelog.gz)
add_dependencies(orv_gzipped_docs orv_man_pages)

set(orv_doc ${CMAKE_INSTALL_DATADIR}/doc)

# orv-station
install(TARGETS orv-cli RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR} COMPONENT station)
install(TARGETS orv-cli-commands LIBRARY DESTINATION libexec/orv COMPONENT station)
install(FILES ${orv_man}/orv-cli.1.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1 COMPONENT station)
install(FILES README.md packaging/copyright ${orv_packaging_build}/changelog.gz
        DESTINATION ${orv_doc}/orv-station COMPONENT station)
file(GLOB orv_doc_pages CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/docs/*.md)
install(FILES ${orv_doc_pages} DESTINATION ${orv_doc}/orv-station/docs COMPONENT station)

# orv
install(TARGETS orv RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR} COMPONENT desktop)
install(FILES ${orv_man}/orv.1.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1 COMPONENT desktop)
install(FILES packaging/copyright ${orv_packaging_build}/changelog.gz DESTINATION ${orv_doc}/orv COMPONENT desktop)
install(FILES docs/guide/guide.html DESTINATION ${orv_doc}/orv RENAME user-guide.html COMPONENT desktop)
# The guide's pictures beside it, as it names them.
file(GLOB orv_guide_pictures CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/docs/guide/*.png)
install(FILES ${orv_guide_pictures} DESTINATION ${orv_doc}/orv COMPONENT desktop)
install(FILES packaging/orv.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications COMPONENT desktop)
install(FILES packaging/orv.svg DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps COMPONENT desktop)

# The unit names the installed program and configuration file, so both paths follow the prefix
# given at install time (`cmake --install --prefix`, CPack's /usr): the configuration and
# logrotate files live in /etc for the /usr prefix (as GNUInstallDirs has it), else in
# PREFIX/etc. The unit goes to /lib/systemd/system for /usr (where Debian 12's systemd and
# lintian look for it), else to PREFIX/lib/systemd/system.
install(CODE "set(ORV_PACKAGING_DIR \"${CMAKE_CURRENT_SOURCE_DIR}/packaging\")
              set(orv_staging \"${orv_packaging_build}\")" COMPONENT station)
install(CODE [[
  if(CMAKE_INSTALL_PREFIX STREQUAL "/usr")
    set(CMAKE_INSTALL_FULL_SYSCONFDIR "/etc")
    set(orv_unit_dir "/lib/systemd/system")
  else()
    set(CMAKE_INSTALL_FULL_SYSCONFDIR "${CMAKE_INSTALL_PREFIX}/etc")
    set(orv_unit_dir "${CMAKE_INSTALL_PREFIX}/lib/systemd/system")
  endif()
  set(CMAKE_INSTALL_FULL_BINDIR "${CMAKE_INSTALL_PREFIX}/bin")
  configure_file("${ORV_PACKAGING_DIR}/orv-station.service.in" "${orv_staging}/orv-station.service" @ONLY)
  file(INSTALL "${orv_staging}/orv-station.service" DESTINATION "${orv_unit_dir}")
  file(INSTALL "${ORV_PACKAGING_DIR}/station.conf" DESTINATION "${CMAKE_INSTALL_FULL_SYSCONFDIR}/orv")
  file(INSTALL "${ORV_PACKAGING_DIR}/orv-station.logrotate" DESTINATION "${CMAKE_INSTALL_FULL_SYSCONFDIR}/logrotate.d"
       RENAME orv-station)
]] COMPONENT station)

set(CPACK_PACKAGE_NAME orv)
set(CPACK_PACKAGE_VENDOR "Orv developers")
set(CPACK_PACKAGE_CONTACT "Orv developers <orv@example.org>")
set(CPACK_GENERATOR DEB)
set(CPACK_SET_DESTDIR ON)  # the staging root is DESTDIR, so /etc lands in the package
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEB_COMPONENT_INSTALL ON)
set(CPACK_COMPONENTS_ALL station desktop)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION hamradio)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE "https://orv.example.org/")

set(CPACK_DEBIAN_STATION_PACKAGE_NAME orv-station)
# The graph's labels are set in DejaVu Sans.
set(CPACK_DEBIAN_STATION_PACKAGE_DEPENDS "fonts-dejavu-core")
set(CPACK_DEBIAN_STATION_PACKAGE_SUGGESTS "logrotate")
set(CPACK_DEBIAN_STATION_DESCRIPTION
    "headless AO-40 telemetry ground station
Receives the 400-baud telemetry of AMSAT OSCAR-40 and the QO-100 beacon
from a serial modem, a sound card, an SDR program's audio or another
station, checks, logs and relays the blocks, and passes them on as KISS,
to SiDS databases such as SatNOGS, and over MQTT. orv-cli also replays,
graphs, filters and exports telemetry files and loads DSP-93 programs.

The orv-station service runs the station unattended from
/etc/orv/station.conf. This package needs no display and no GUI library.")
set(CPACK_DEBIAN_STATION_PACKAGE_CONTROL_EXTRA ${orv_packaging_build}/conffiles)
file(WRITE ${orv_packaging_build}/conffiles "/etc/orv/station.conf\n/etc/logrotate.d/orv-station\n")

set(CPACK_DEBIAN_DESKTOP_PACKAGE_NAME orv)
# The windows need a Qt platform plugin, which no library dependency brings in.
set(CPACK_DEBIAN_DESKTOP_PACKAGE_DEPENDS "orv-station (= ${PROJECT_VERSION}), qt6-qpa-plugins")
set(CPACK_DEBIAN_DESKTOP_DESCRIPTION
    "AO-40 telemetry ground station with windows
The desktop program of the Orv ground station for the 400-baud telemetry of
AMSAT OSCAR-40 and the QO-100 beacon: reception, logging, replay, the five
display windows, export, graphs, the TCP/UDP relay, forwarding and the
DSP-93 loader, with a built-in user guide.")
include(CPack)
