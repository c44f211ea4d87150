# The Debian package. `cpack -G DEB` in the build tree (or `cmake --build build --target package`)
# packs what `cmake --install` installs, under /usr: the program, its assets, the desktop entry,
# the icons and the manual page. Depends is computed by dpkg-shlibdeps from the libraries the
# program links, plus what it loads without linking it.
set(ZEMTRA_PACKAGE_MAINTAINER "Zemtra maintainers <maintainers@zemtra.example>"
  CACHE STRING "The Maintainer field of the Debian package")

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME zemtra)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "Zemtra")
set(CPACK_PACKAGE_CONTACT ${ZEMTRA_PACKAGE_MAINTAINER})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "word generator that speaks the noise of motion sensors")
# Debian shows the long description as it is written here: lines under 80 columns.
set(CPACK_PACKAGE_DESCRIPTION
  "Zemtra samples motion sensors (or a simulated or recorded sensor source),
turns the noise in their last digits into words from a fixed list, speaks
them with espeak-ng, shows them with a bar meter and a scanner light, and
keeps a word log that can be viewed, cleared and mailed. It runs as a desktop
window, headless on a kiosk, or driven by a script.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
# The build keeps its debugging information; the package does not need it.
set(CPACK_STRIP_FILES ON)

set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER ${ZEMTRA_PACKAGE_MAINTAINER})
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# Loaded, not linked, so dpkg-shlibdeps cannot see them: Qt's window platforms (xcb; the offscreen
# one comes with Qt's GUI library) and the time-zone database that the word log's times are read
# against.
set(CPACK_DEBIAN_PACKAGE_DEPENDS "qt6-qpa-plugins, tzdata")
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
set(CPACK_DEBIAN_COMPRESSION_TYPE xz)

include(CPack)
