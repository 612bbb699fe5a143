# Installing with `cmake --install` and the Debian package (`cpack -G DEB` in the build folder).
#
# The programs find their data files beside their executables, so they live together in
# libexec/lotwarden; the data files themselves are in share/lotwarden with links beside the
# programs, and bin/ holds links to the two programs. The desktop entry, the document type, the
# icons and the AppStream metadata go where the desktop looks for them; Debian's triggers
# rebuild the desktop, MIME and icon caches when the package is installed or removed.
include(GNUInstallDirs)

if(NOT TARGET Lotward OR NOT TARGET lotwarden)
  return()
endif()

set(LW_PKG_LIBEXEC ${CMAKE_INSTALL_LIBEXECDIR}/lotwarden)
set(LW_PKG_DATA ${CMAKE_INSTALL_DATADIR}/lotwarden)
set(res ${CMAKE_SOURCE_DIR}/resources)

install(TARGETS Lotward lotwarden RUNTIME DESTINATION ${LW_PKG_LIBEXEC})
install(FILES ${res}/Lotward.dat ${res}/Blank.html DESTINATION ${LW_PKG_DATA})
install(FILES ${res}/strings/fr.txt DESTINATION ${LW_PKG_DATA} RENAME Lotward.fr)
# The sample watch lists, written by the model at build time (install/CMakeLists.txt).
install(FILES ${CMAKE_BINARY_DIR}/install/payload/Sample.en.lwd DESTINATION ${LW_PKG_DATA} RENAME Sample.lwd)
install(FILES ${CMAKE_BINARY_DIR}/install/payload/Sample.fr.lwd DESTINATION ${LW_PKG_DATA} RENAME Exemple.lwd)

# Relative links, so that the tree works wherever it is unpacked (DESTDIR, dpkg -x).
file(RELATIVE_PATH lw_data_from_libexec /${LW_PKG_LIBEXEC} /${LW_PKG_DATA})
file(RELATIVE_PATH lw_libexec_from_bin /${CMAKE_INSTALL_BINDIR} /${LW_PKG_LIBEXEC})
install(CODE "
  set(libexec \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/${LW_PKG_LIBEXEC}\")
  set(bin \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/${CMAKE_INSTALL_BINDIR}\")
  file(MAKE_DIRECTORY \"\${bin}\")
  foreach(data Lotward.dat Blank.html Lotward.fr)
    file(CREATE_LINK \"${lw_data_from_libexec}/\${data}\" \"\${libexec}/\${data}\" SYMBOLIC)
  endforeach()
  foreach(program Lotward lotwarden)
    file(CREATE_LINK \"${lw_libexec_from_bin}/\${program}\" \"\${bin}/\${program}\" SYMBOLIC)
  endforeach()
")

install(FILES ${res}/desktop/Lotward.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${res}/desktop/lotwarden.xml DESTINATION ${CMAKE_INSTALL_DATADIR}/mime/packages)
install(FILES ${res}/desktop/com.ashgrove.lotwarden.metainfo.xml DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
install(FILES ${res}/icons/lotwarden.svg DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
install(FILES ${res}/icons/application-x-lotwarden.svg
        DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/mimetypes)
install(DIRECTORY ${res}/icons/hicolor/ DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor FILES_MATCHING PATTERN "*.png")
install(FILES ${CMAKE_SOURCE_DIR}/README.md ${res}/install/License.en.txt DESTINATION ${CMAKE_INSTALL_DOCDIR})

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME lotwarden)
set(CPACK_PACKAGE_VENDOR Ashgrove)
set(CPACK_PACKAGE_CONTACT "Ashgrove <lotwarden@ashgrove.invalid>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "desktop watch list for auction items")
set(CPACK_PACKAGE_DESCRIPTION "Lotwarden keeps watch lists of auction items: it downloads each item's page, reads
its prices, bids and dates, and shows the items in a sortable list with unread
changes in bold, alarms before an auction ends, searches and bookmark import.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION misc)
# Dependencies are read from the programs' shared libraries by dpkg-shlibdeps.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "xdg-utils")
include(CPack)
