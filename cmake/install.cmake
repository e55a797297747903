# What `cmake --install` puts where, and the Debian package made from the same rules.
#
#   cmake --install build [--prefix DIR]    installs under DIR (default /usr/local)
#   cd build && cpack -G DEB                makes quillo_<version>_<arch>.deb for /usr
#
# The program finds its shipped texts in <bindir>/../share/quillo (src/core/resources.cpp), so
# the data folder must stay a sibling of the executable's folder: CMAKE_INSTALL_BINDIR and
# CMAKE_INSTALL_DATADIR are taken as they come and are not meant to be moved apart.
include(GNUInstallDirs)

option(QUILLO_INSTALL_AUTOSTART
       "Also install the launcher into <sysconfdir>/xdg/autostart, starting Quillo at every log-in"
       OFF)

set(QUILLO_APP_ID org.quillo.Quillo)
set(QUILLO_DOC_DIR ${CMAKE_INSTALL_DATADIR}/doc/quillo)

install(TARGETS quillo RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})

# The shipped texts: help, licence, welcome. Their names contain spaces ("Software License") and
# are read by name, so the folder is copied as it is, less what only keeps it in git (.gitkeep):
# the first start copies this folder into the user's own.
install(DIRECTORY ${PROJECT_SOURCE_DIR}/resources/ DESTINATION ${CMAKE_INSTALL_DATADIR}/quillo
        PATTERN ".*" EXCLUDE)

install(FILES ${PROJECT_SOURCE_DIR}/data/${QUILLO_APP_ID}.desktop
        DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)

# The PNGs in data/icons/<n>x<n>/ were rendered once from the SVG with librsvg:
#   rsvg-convert -w N -h N org.quillo.Quillo.svg -o NxN/org.quillo.Quillo.png
# so that a build needs no SVG renderer. Render them again whenever the SVG changes.
install(FILES ${PROJECT_SOURCE_DIR}/data/icons/${QUILLO_APP_ID}.svg
        DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
foreach(size IN ITEMS 16 24 32 48 64 128 256)
  install(FILES ${PROJECT_SOURCE_DIR}/data/icons/${size}x${size}/${QUILLO_APP_ID}.png
          DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps)
endforeach()

install(FILES ${PROJECT_SOURCE_DIR}/LICENSE DESTINATION ${QUILLO_DOC_DIR})

if(QUILLO_INSTALL_AUTOSTART)
  # GNUInstallDirs resolves sysconfdir against the prefix known when configuring (/usr gives
  # /etc, /opt/x gives /etc/opt/x, anything else <prefix>/etc). `cmake --install --prefix` and
  # CPack (which installs with prefix /usr under DESTDIR) choose the prefix only when they run,
  # so the same rule is applied then; file(INSTALL) adds DESTDIR to the absolute result itself.
  install(CODE "set(quillo_sysconfdir \"${CMAKE_INSTALL_SYSCONFDIR}\")
    set(quillo_desktop_file \"${PROJECT_SOURCE_DIR}/data/${QUILLO_APP_ID}.desktop\")")
  install(CODE [[
    if(IS_ABSOLUTE "${quillo_sysconfdir}")
      set(quillo_etc "${quillo_sysconfdir}")
    elseif(CMAKE_INSTALL_PREFIX MATCHES "^/(usr/?)?$")
      set(quillo_etc "/${quillo_sysconfdir}")
    elseif(CMAKE_INSTALL_PREFIX MATCHES "^/opt/")
      set(quillo_etc "/${quillo_sysconfdir}${CMAKE_INSTALL_PREFIX}")
    else()
      set(quillo_etc "${CMAKE_INSTALL_PREFIX}/${quillo_sysconfdir}")
    endif()
    file(INSTALL DESTINATION "${quillo_etc}/xdg/autostart" TYPE FILE FILES "${quillo_desktop_file}")
  ]])
endif()

# --- Debian package -------------------------------------------------------------------------
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME quillo)
set(CPACK_PACKAGE_VENDOR "The Quillo developers")
set(CPACK_PACKAGE_CONTACT "The Quillo developers <quillo@example.org>")
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "${CPACK_PACKAGE_CONTACT}")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "print any part of the screen")
# CPackDeb indents each line; Debian wants them under 80 columns.
string(
  CONCAT CPACK_PACKAGE_DESCRIPTION
         "Quillo prints a rectangle of the screen at the size it was seen: the screen\n"
         "dims, you drag a rectangle over what you want, and it goes to the printer or\n"
         "to a PDF file. Selections and notes can also be collected on five PrintBoards\n"
         "and printed together. Commands start from a small command window, from\n"
         "Ctrl+Alt shortcuts on X11, or from the command line.")
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
# dpkg-shlibdeps (dpkg-dev) turns the libraries the executable links into the Depends line.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# A RelWithDebInfo build carries its debug information; a package for users does not.
set(CPACK_STRIP_FILES ON)
# Debian keeps a package's licence in /usr/share/doc/<package>/copyright. Added to the staged
# files only, so that a plain `cmake --install` does not ship the licence twice.
set(QUILLO_DEB_COPYRIGHT_SCRIPT ${PROJECT_BINARY_DIR}/quillo-deb-copyright.cmake)
file(
  CONFIGURE
  OUTPUT ${QUILLO_DEB_COPYRIGHT_SCRIPT}
  CONTENT
    [[
if(CPACK_GENERATOR STREQUAL "DEB")
  file(COPY_FILE "@PROJECT_SOURCE_DIR@/LICENSE"
       "${CPACK_TEMPORARY_DIRECTORY}${CPACK_PACKAGING_INSTALL_PREFIX}/@QUILLO_DOC_DIR@/copyright")
endif()
]]
  @ONLY)
set(CPACK_PRE_BUILD_SCRIPTS ${QUILLO_DEB_COPYRIGHT_SCRIPT})
if(QUILLO_INSTALL_AUTOSTART)
  # Files under /etc belong to the administrator: dpkg keeps their edits on upgrade only when
  # the package lists them as conffiles.
  if(IS_ABSOLUTE "${CMAKE_INSTALL_SYSCONFDIR}")
    set(deb_etc "${CMAKE_INSTALL_SYSCONFDIR}")
  else()
    set(deb_etc "/${CMAKE_INSTALL_SYSCONFDIR}")
  endif()
  file(WRITE ${PROJECT_BINARY_DIR}/deb/conffiles "${deb_etc}/xdg/autostart/${QUILLO_APP_ID}.desktop\n")
  set(CPACK_DEBIAN_PACKAGE_CONTROL_EXTRA ${PROJECT_BINARY_DIR}/deb/conffiles)
endif()
# CPack reads this file once it knows the generator. The /usr prefix is the .deb's only: given
# to every generator, it would also move a source tarball's files under usr/.
set(QUILLO_CPACK_OPTIONS ${PROJECT_BINARY_DIR}/quillo-cpack-options.cmake)
file(
  WRITE ${QUILLO_CPACK_OPTIONS}
  [[
if(CPACK_GENERATOR STREQUAL "DEB")
  set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
endif()
]])
set(CPACK_PROJECT_CONFIG_FILE ${QUILLO_CPACK_OPTIONS})
# `make package_source` would otherwise pack every build folder of the tree as well.
set(CPACK_SOURCE_GENERATOR TGZ)
set(CPACK_SOURCE_IGNORE_FILES "^${PROJECT_SOURCE_DIR}/\\.git/" "^${PROJECT_SOURCE_DIR}/build[^/]*/"
                               "\\.user$")
include(CPack)
