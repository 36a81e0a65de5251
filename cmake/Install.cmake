# Installation as a desktop program and the Debian package built from it.
#
# The program finds its catalogues and help beside its executable, so the
# executable and those files share one folder (lib/sorakado/); bin/sorakado is a
# relative symbolic link to it (the program folder is taken from /proc/self/exe,
# which names the real file). The desktop entry, the icons and the AppStream
# metainfo go where the desktop looks for them. Tests, benchmarks and probes have
# no install rules and are never installed.

include(GNUInstallDirs)

set(SORAKADO_APP_ID "org.example.Sorakado")
set(SORAKADO_INSTALL_PROGRAMDIR "lib/sorakado" CACHE STRING
  "Folder, relative to the prefix, that holds the executable and its resources")
set(SORAKADO_PROJECT_LICENSE "GPL-3.0-or-later")
set(SORAKADO_RELEASE_DATE "2026-12-07")
set(SORAKADO_RELEASE_DATE_RFC2822 "Mon, 07 Dec 2026 00:00:00 +0000")

foreach(dir IN ITEMS SORAKADO_INSTALL_PROGRAMDIR CMAKE_INSTALL_BINDIR)
  if(IS_ABSOLUTE "${${dir}}")
    message(FATAL_ERROR "${dir} must be relative to the prefix (it is ${${dir}})")
  endif()
endforeach()

set(sorakado_desktop_src ${CMAKE_SOURCE_DIR}/resources/desktop)
set(sorakado_desktop_gen ${CMAKE_BINARY_DIR}/desktop)
set(sorakado_docdir ${CMAKE_INSTALL_DATAROOTDIR}/doc/sorakado)
file(MAKE_DIRECTORY ${sorakado_desktop_gen})
set(CMAKE_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS
  OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)

# The program folder. The system's libraries are found without a search path.
set_target_properties(sorakado PROPERTIES INSTALL_RPATH "")
install(TARGETS sorakado RUNTIME DESTINATION ${SORAKADO_INSTALL_PROGRAMDIR})
file(GLOB sorakado_catalogues CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/resources/dll/*.csv)
install(FILES ${sorakado_catalogues} DESTINATION ${SORAKADO_INSTALL_PROGRAMDIR}/dll)
file(GLOB sorakado_data CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/resources/data/*)
if(sorakado_data)
  install(FILES ${sorakado_data} DESTINATION ${SORAKADO_INSTALL_PROGRAMDIR}/data)
endif()
install(FILES ${CMAKE_SOURCE_DIR}/resources/HELP.html DESTINATION ${SORAKADO_INSTALL_PROGRAMDIR})

# The command: a relative link, made in the build tree and installed as a link.
file(RELATIVE_PATH sorakado_link_target /prefix/${CMAKE_INSTALL_BINDIR}
  /prefix/${SORAKADO_INSTALL_PROGRAMDIR}/sorakado)
file(CREATE_LINK ${sorakado_link_target} ${sorakado_desktop_gen}/sorakado SYMBOLIC)
install(FILES ${sorakado_desktop_gen}/sorakado DESTINATION ${CMAKE_INSTALL_BINDIR})

# What the desktop reads.
install(FILES ${sorakado_desktop_src}/${SORAKADO_APP_ID}.desktop
  DESTINATION ${CMAKE_INSTALL_DATAROOTDIR}/applications)
configure_file(${sorakado_desktop_src}/${SORAKADO_APP_ID}.metainfo.xml.in
  ${sorakado_desktop_gen}/${SORAKADO_APP_ID}.metainfo.xml @ONLY)
install(FILES ${sorakado_desktop_gen}/${SORAKADO_APP_ID}.metainfo.xml
  DESTINATION ${CMAKE_INSTALL_DATAROOTDIR}/metainfo)
set(sorakado_icons ${CMAKE_INSTALL_DATAROOTDIR}/icons/hicolor)
install(FILES ${CMAKE_SOURCE_DIR}/resources/icons/sorakado.svg
  DESTINATION ${sorakado_icons}/scalable/apps RENAME ${SORAKADO_APP_ID}.svg)
foreach(size IN ITEMS 16 32 48 128 256)
  install(FILES ${CMAKE_SOURCE_DIR}/resources/icons/sorakado-${size}.png
    DESTINATION ${sorakado_icons}/${size}x${size}/apps RENAME ${SORAKADO_APP_ID}.png)
endforeach()

# Manual page, copyright and changelog, compressed the way Debian expects (gzip -9n).
find_program(SORAKADO_GZIP gzip REQUIRED)
configure_file(${sorakado_desktop_src}/changelog.in ${sorakado_desktop_gen}/changelog @ONLY)
foreach(doc IN ITEMS changelog sorakado.1)
  if(doc STREQUAL "changelog")
    set(doc_source ${sorakado_desktop_gen}/changelog)
  else()
    set(doc_source ${sorakado_desktop_src}/${doc})
  endif()
  execute_process(COMMAND ${SORAKADO_GZIP} -9nc ${doc_source}
    OUTPUT_FILE ${sorakado_desktop_gen}/${doc}.gz COMMAND_ERROR_IS_FATAL ANY)
endforeach()
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${sorakado_desktop_src}/sorakado.1)
install(FILES ${sorakado_desktop_gen}/sorakado.1.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
install(FILES ${sorakado_desktop_src}/copyright ${sorakado_desktop_gen}/changelog.gz
  DESTINATION ${sorakado_docdir})
install(FILES ${sorakado_desktop_src}/lintian-overrides
  DESTINATION ${CMAKE_INSTALL_DATAROOTDIR}/lintian/overrides RENAME sorakado)

# The Debian package: cpack -G DEB in the build folder.
set(CPACK_GENERATOR "DEB")
set(CPACK_PACKAGE_NAME "sorakado")
set(CPACK_PACKAGE_VENDOR "Sorakado developers")
set(CPACK_PACKAGE_CONTACT "Sorakado developers <dev@example.org>")
set(CPACK_PACKAGE_HOMEPAGE_URL "https://example.org/sorakado")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "turn part of the screen into a mobile phone stand-by image")
string(JOIN "\n" CPACK_PACKAGE_DESCRIPTION
  "Sorakado makes a stand-by (wallpaper) image for a Japanese mobile phone out"
  "of any part of the screen. The carrier and the model fix the picture's size"
  "and the largest file the phone accepts; a loupe moved over the desktop"
  "chooses what is captured, at a scale of the user's choice."
  "."
  "The picture opens in an editor with drawing tools, brightness and contrast,"
  "cropping and undo, which shows the JPEG and PNG file sizes against the"
  "model's limit while the compression settings change, and saves the picture"
  "for the phone.")
set(CPACK_STRIP_FILES TRUE)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_NAME "sorakado")
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "Sorakado developers <dev@example.org>")
set(CPACK_DEBIAN_PACKAGE_SECTION "graphics")
set(CPACK_DEBIAN_PACKAGE_PRIORITY "optional")
# The libraries (PipeWire's among them) come from dpkg-shlibdeps; the Japanese font
# is read at run time, Qt loads its Wayland platform as a plugin and its own Japanese
# texts from its translations.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "fonts-noto-cjk, qt6-wayland, qt6-translations-l10n")
# xdg-open shows the help in the user's browser; on a Wayland desktop the screen is
# seen only through the desktop portal (its desktop's backend comes with the desktop).
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "xdg-utils, xdg-desktop-portal")
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION TRUE)
# Installed-Size as dpkg counts it (CPack counts the bin/ link and the folders too high).
set(CPACK_POST_BUILD_SCRIPTS ${CMAKE_SOURCE_DIR}/cmake/DebInstalledSize.cmake)
set(CPACK_SOURCE_IGNORE_FILES "/\\\\.git/" "/build[^/]*/")
include(CPack)
