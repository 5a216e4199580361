# The licence texts that ship beside the program, in the licenses folder
# the About dialog reads: taken at build time from the system's own copies
# (on Debian, the common licences and the Qt packages' copyright files), so
# none of them is kept in this repository. Each path is a cache variable
# that can be pointed elsewhere on another system.
find_file(ZARVEL_GPL3_FILE GPL-3 PATHS /usr/share/common-licenses NO_DEFAULT_PATH
          DOC "Text of the GNU General Public License version 3")
find_file(ZARVEL_LGPL3_FILE LGPL-3 PATHS /usr/share/common-licenses NO_DEFAULT_PATH
          DOC "Text of the GNU Lesser General Public License version 3")
find_file(ZARVEL_QTBASE_COPYRIGHT_FILE copyright
          PATHS /usr/share/doc/libqt5core5a /usr/share/doc/qtbase5-dev NO_DEFAULT_PATH
          DOC "Copyright file of Qt's qtbase module")
find_file(ZARVEL_QTSVG_COPYRIGHT_FILE copyright
          PATHS /usr/share/doc/libqt5svg5 /usr/share/doc/libqt5svg5-dev NO_DEFAULT_PATH
          DOC "Copyright file of Qt's qtsvg module")
find_file(ZARVEL_QTIMAGEFORMATS_COPYRIGHT_FILE copyright
          PATHS /usr/share/doc/qt5-image-formats-plugins NO_DEFAULT_PATH
          DOC "Copyright file of Qt's qtimageformats module")

foreach(hint
        "ZARVEL_GPL3_FILE|base-files"
        "ZARVEL_LGPL3_FILE|base-files"
        "ZARVEL_QTBASE_COPYRIGHT_FILE|libqt5core5a"
        "ZARVEL_QTSVG_COPYRIGHT_FILE|libqt5svg5"
        "ZARVEL_QTIMAGEFORMATS_COPYRIGHT_FILE|qt5-image-formats-plugins")
    string(REPLACE "|" ";" hint "${hint}")
    list(GET hint 0 variable)
    list(GET hint 1 package)
    if(NOT ${variable})
        message(FATAL_ERROR "${variable} is not found: install the Debian package ${package}, "
                            "or set ${variable} to the file")
    endif()
endforeach()

# Staged beside the built program, so that Zarvel started in its build
# folder shows them; installed from there beside the installed program.
set(ZARVEL_LICENSES_DIR ${CMAKE_BINARY_DIR}/licenses)
set(ZARVEL_LICENSE_FILES)
foreach(pair
        "${ZARVEL_GPL3_FILE}|COPYING"
        "${ZARVEL_LGPL3_FILE}|COPYING.LESSER"
        "${ZARVEL_QTBASE_COPYRIGHT_FILE}|qtbase/COPYRIGHT"
        "${ZARVEL_QTSVG_COPYRIGHT_FILE}|qtsvg/COPYRIGHT"
        "${ZARVEL_QTIMAGEFORMATS_COPYRIGHT_FILE}|qtimageformats/COPYRIGHT")
    string(REPLACE "|" ";" pair "${pair}")
    list(GET pair 0 source)
    list(GET pair 1 name)
    set(target_file ${ZARVEL_LICENSES_DIR}/${name})
    get_filename_component(target_dir ${target_file} DIRECTORY)
    add_custom_command(OUTPUT ${target_file}
        COMMAND ${CMAKE_COMMAND} -E make_directory ${target_dir}
        COMMAND ${CMAKE_COMMAND} -E copy ${source} ${target_file}
        DEPENDS ${source}
        COMMENT "Staging licenses/${name}"
        VERBATIM)
    list(APPEND ZARVEL_LICENSE_FILES ${target_file})
endforeach()
add_custom_target(zarvel_licenses ALL DEPENDS ${ZARVEL_LICENSE_FILES})

# The About form with the project's address and its initial licence text,
# the Qt licensing notice followed by the GPL v3, filled in at build time.
set(ZARVEL_ABOUT_FORM ${CMAKE_BINARY_DIR}/generated/forms/about.ui)
set(ZARVEL_ABOUT_UI_HEADER ${CMAKE_BINARY_DIR}/generated/ui_about.h)
add_custom_command(OUTPUT ${ZARVEL_ABOUT_FORM}
    COMMAND ${CMAKE_COMMAND}
        -DTEMPLATE=${PROJECT_SOURCE_DIR}/forms/about.ui
        -DNOTICE=${PROJECT_SOURCE_DIR}/cmake/qt-license-notice.txt
        -DGPL=${ZARVEL_GPL3_FILE}
        -DPROJECT_URL=${ZARVEL_PROJECT_URL}
        -DOUTPUT=${ZARVEL_ABOUT_FORM}
        -P ${PROJECT_SOURCE_DIR}/cmake/aboutform.cmake
    DEPENDS ${PROJECT_SOURCE_DIR}/forms/about.ui ${PROJECT_SOURCE_DIR}/cmake/qt-license-notice.txt
            ${PROJECT_SOURCE_DIR}/cmake/aboutform.cmake ${ZARVEL_GPL3_FILE}
    COMMENT "Filling in the About form"
    VERBATIM)
add_custom_command(OUTPUT ${ZARVEL_ABOUT_UI_HEADER}
    COMMAND Qt5::uic -o ${ZARVEL_ABOUT_UI_HEADER} ${ZARVEL_ABOUT_FORM}
    DEPENDS ${ZARVEL_ABOUT_FORM} Qt5::uic
    VERBATIM)
set_source_files_properties(${ZARVEL_ABOUT_UI_HEADER} PROPERTIES GENERATED ON SKIP_AUTOMOC ON SKIP_AUTOUIC ON)
# The form above replaces AUTOUIC's own run on the template.
set_source_files_properties(about/about.cpp forms/about.ui PROPERTIES SKIP_AUTOUIC ON)
