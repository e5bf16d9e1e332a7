# Installation and the Debian package. The simulated driver goes to the program's own
# library folder, off the system's library path: the installed program loads it only when
# KRX8_DAQX_LIBRARY names it, and otherwise starts in demo mode unless a real driver is
# installed.

# The manual page is printed from the same option table as --help; it and the changelog are
# installed compressed, as Debian wants them (gzip -9n: no name or time stamp inside).
add_executable(krx8_manpage tools/krx8_manpage.cpp)
target_link_libraries(krx8_manpage PRIVATE krx8core)
add_custom_command(OUTPUT ${CMAKE_BINARY_DIR}/krx8.1 ${CMAKE_BINARY_DIR}/krx8.1.gz
  COMMAND krx8_manpage ${CMAKE_BINARY_DIR}/krx8.1
  COMMAND gzip -9nkf ${CMAKE_BINARY_DIR}/krx8.1
  DEPENDS krx8_manpage
  COMMENT "Writing the manual page krx8.1")
add_custom_target(krx8_man ALL DEPENDS ${CMAKE_BINARY_DIR}/krx8.1.gz)
add_custom_command(OUTPUT ${CMAKE_BINARY_DIR}/changelog.gz
  COMMAND gzip -9n -c ${CMAKE_SOURCE_DIR}/cmake/debian/changelog > ${CMAKE_BINARY_DIR}/changelog.gz
  DEPENDS ${CMAKE_SOURCE_DIR}/cmake/debian/changelog)
add_custom_target(krx8_changelog ALL DEPENDS ${CMAKE_BINARY_DIR}/changelog.gz)

install(TARGETS krx8 RUNTIME DESTINATION bin)
if(TARGET daqx)
  install(TARGETS daqx LIBRARY DESTINATION lib/krx8)
endif()
install(FILES sample/KRXFileC.000 sample/KRX8Cal.Dat sample/KRXProcedure.toml DESTINATION share/krx8)
install(FILES help/index.html DESTINATION share/krx8/help)
install(FILES desktop/krx8.desktop DESTINATION share/applications)
install(FILES desktop/krx8.svg DESTINATION share/icons/hicolor/scalable/apps)
foreach(size 16 24 32 48 64 128 256)
  install(FILES desktop/icons/krx8-${size}.png
    DESTINATION share/icons/hicolor/${size}x${size}/apps RENAME krx8.png)
endforeach()
install(FILES ${CMAKE_BINARY_DIR}/krx8.1.gz DESTINATION share/man/man1)
install(FILES cmake/debian/copyright ${CMAKE_BINARY_DIR}/changelog.gz DESTINATION share/doc/krx8)

set(KRX_PACKAGE_MAINTAINER "KRX-8 maintainers <maintainers@users.noreply.c-seed-b6c12e22.example>"
  CACHE STRING "The Maintainer field of the Debian package")
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME krx8)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "${PROJECT_DESCRIPTION}")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
# The dependencies are computed from the built binaries by dpkg-shlibdeps in the package
# step (deb_depends.cmake), not by CPack's own scan: that scan takes the private driver
# library in lib/krx8 for one on the library path and adds ldconfig calls to the package.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS OFF)
file(GENERATE OUTPUT ${CMAKE_BINARY_DIR}/CPackProjectConfig.cmake
  INPUT ${CMAKE_SOURCE_DIR}/cmake/deb_depends.cmake)
set(CPACK_PROJECT_CONFIG_FILE ${CMAKE_BINARY_DIR}/CPackProjectConfig.cmake)
set(CPACK_DEBIAN_PACKAGE_SECTION science)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "${KRX_PACKAGE_MAINTAINER}")
# The summary line comes first by itself; this is the long description after it.
# Lines of at most 80 characters, for the package tools' terminals.
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION "For an electrodynamic shaker: synthesises the reference
shock pulse with its compensation pulses and the drive, checks the pulse
against the shaker's limits, equalises the drive gain, fires pre-test and
full-level pulses, records up to sixteen accelerometer channels, stops the run
on trips, plots and prints the results and writes its own files. Without a
board it runs in demo mode and simulates the response. A simulated board
driver is included.")
include(CPack)
