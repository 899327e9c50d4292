# Install rules and the Debian package.
#
#   cmake --install build --prefix /usr/local       # or DESTDIR=... for staging
#   cd build && cpack -G DEB                         # osmund-imaging_<version>_<arch>.deb
#
# The programs, the control libraries and the imaging libraries they load by
# name live together in <libdir>/osmund/ with the files the editor reads
# beside itself ("UserData.ini", apData/); <bindir>/ruvel links there.  The
# desktop entry, AppStream metainfo, MIME types and the icon go to the usual
# freedesktop places under <datadir>.
include(GNUInstallDirs)
set(OSMUND_INSTALL_DIR ${CMAKE_INSTALL_LIBDIR}/osmund)

set(OSMUND_INSTALL_TARGETS)
foreach(target ruvel mv7com mv7file mv7scan mv7print mv7effect mv7vectcom mv7rastovect
        morvik7thumb morvik7slide viewer_host)
  if(TARGET ${target})
    list(APPEND OSMUND_INSTALL_TARGETS ${target})
    set_property(TARGET ${target} PROPERTY INSTALL_RPATH "$ORIGIN")
  endif()
endforeach()
install(TARGETS ${OSMUND_INSTALL_TARGETS}
  RUNTIME DESTINATION ${OSMUND_INSTALL_DIR}
  LIBRARY DESTINATION ${OSMUND_INSTALL_DIR})
install(FILES ${PROJECT_SOURCE_DIR}/editor/app/UserData.ini DESTINATION ${OSMUND_INSTALL_DIR})
# Stamp pictures and cursors are drawn by the build.
install(DIRECTORY ${CMAKE_RUNTIME_OUTPUT_DIRECTORY}/apData DESTINATION ${OSMUND_INSTALL_DIR})
install(CODE "
  file(MAKE_DIRECTORY \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/${CMAKE_INSTALL_BINDIR}\")
  file(CREATE_LINK ../${OSMUND_INSTALL_DIR}/ruvel
       \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/${CMAKE_INSTALL_BINDIR}/ruvel\" SYMBOLIC)")

set(OSMUND_DESKTOP ${PROJECT_SOURCE_DIR}/editor/app/desktop)
install(FILES ${OSMUND_DESKTOP}/ruvel.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${OSMUND_DESKTOP}/example.osmund.Ruvel.metainfo.xml DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
install(FILES ${OSMUND_DESKTOP}/ruvel-mime.xml DESTINATION ${CMAKE_INSTALL_DATADIR}/mime/packages)
install(FILES ${PROJECT_SOURCE_DIR}/editor/shell/main_window/icons/ruvel.svg
  DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)

# Debian package: the runtime libraries come from dpkg-shlibdeps; the rest
# are what the programs use without linking (the SVG icon plug-in, a CJK
# font, xdg-email and xdg-open).
set(CPACK_PACKAGE_NAME osmund-imaging)
set(CPACK_PACKAGE_VENDOR "Osmund")
set(CPACK_PACKAGE_CONTACT "Osmund <support@osmund.example>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Ruvel picture editor and the Morvik7 viewer controls")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION graphics)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS_PRIVATE_DIRS ${CMAKE_RUNTIME_OUTPUT_DIRECTORY})
set(CPACK_DEBIAN_PACKAGE_DEPENDS "libqt6svg6, qt6-qpa-plugins, fonts-noto-cjk, xdg-utils")
include(CPack)
