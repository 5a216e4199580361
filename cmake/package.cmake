# The version the packages carry: the project's own, marked +dirty when the
# tree differs from its last commit, so that a package never passes for a
# release it is not. Written to the build folder, where scripts/package
# reads it to name the Windows installer.
set(ZARVEL_PACKAGE_VERSION ${PROJECT_VERSION})
set(ZARVEL_PACKAGE_DATE "")
find_package(Git QUIET)
if(GIT_FOUND AND EXISTS ${PROJECT_SOURCE_DIR}/.git)
    execute_process(COMMAND ${GIT_EXECUTABLE} status --porcelain WORKING_DIRECTORY ${PROJECT_SOURCE_DIR}
                    OUTPUT_VARIABLE changes RESULT_VARIABLE failed ERROR_QUIET)
    if(failed OR NOT changes STREQUAL "")
        string(APPEND ZARVEL_PACKAGE_VERSION "+dirty")
    endif()
    execute_process(COMMAND ${GIT_EXECUTABLE} log -1 --format=%aD WORKING_DIRECTORY ${PROJECT_SOURCE_DIR}
                    OUTPUT_VARIABLE ZARVEL_PACKAGE_DATE OUTPUT_STRIP_TRAILING_WHITESPACE ERROR_QUIET)
endif()
file(WRITE ${CMAKE_BINARY_DIR}/generated/package-version "${ZARVEL_PACKAGE_VERSION}\n")
if(WIN32)
    return()
endif()

# The Debian package (cpack -G DEB, as scripts/package runs it) holds what
# the install rules install, under /usr, with the libraries it needs
# computed by dpkg-shlibdeps and the plugins Qt loads by name at run time
# added by hand. The Wayland ones are only recommended: an X11 session
# never loads them.
if(NOT ZARVEL_PACKAGE_DATE)
    string(TIMESTAMP ZARVEL_PACKAGE_DATE "%a, %d %b %Y %H:%M:%S +0000" UTC)
endif()
set(ZARVEL_PACKAGE_DOC_DIR ${CMAKE_INSTALL_DATADIR}/doc/zarvel)
configure_file(packaging/changelog.in ${CMAKE_BINARY_DIR}/generated/changelog @ONLY)
foreach(file ${CMAKE_BINARY_DIR}/generated/changelog ${PROJECT_SOURCE_DIR}/packaging/zarvel.1)
    get_filename_component(name ${file} NAME)
    execute_process(COMMAND gzip -9n -c ${file} OUTPUT_FILE ${CMAKE_BINARY_DIR}/generated/${name}.gz)
endforeach()
install(FILES packaging/copyright ${CMAKE_BINARY_DIR}/generated/changelog.gz DESTINATION ${ZARVEL_PACKAGE_DOC_DIR})
install(FILES ${CMAKE_BINARY_DIR}/generated/zarvel.1.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME zarvel)
set(CPACK_PACKAGE_VERSION ${ZARVEL_PACKAGE_VERSION})
set(CPACK_PACKAGE_CONTACT "Zarvel developers <dev@zarvel.example.org>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "pop-up launcher: Alt and the right mouse button anywhere")
string(JOIN "\n" CPACK_PACKAGE_DESCRIPTION
    "Zarvel opens a panel of square buttons at the pointer when Alt is held"
    "and the right mouse button pressed anywhere. A click starts a program,"
    "opens a document or opens a folder of further buttons. A tray icon shows"
    "the panel, switches the trigger off and on and opens the settings editor."
    "All buttons live in one JSON file in the user's home folder."
    ""
    "On Wayland compositors with the layer-shell protocol (the wlroots-based"
    "ones and KDE Plasma) the panel is hosted natively.")
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE ${ZARVEL_PROJECT_URL})
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "libqt5svg5, qt5-image-formats-plugins, libglib2.0-bin, shared-mime-info")
if(ZARVEL_WAYLAND)
    set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "qtwayland5, layer-shell-qt")
endif()
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
# The menu entry is written for the prefix the install runs with.
set(CPACK_SET_DESTDIR ON)
set(CPACK_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
include(CPack)
