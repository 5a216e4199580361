# The Windows program's folder: Zarvel.exe needs Qt's DLLs, the plugins Qt
# loads from beside the program and the compiler's runtime DLLs, since a
# Windows machine has none of them. They are copied next to the built
# program, so that it starts from the build folder, and installed beside it:
#
#   cmake --install build/win64 --prefix <folder>
#
# gives a folder to copy to a Windows machine as it is.

# The windows platform for the program; offscreen for the tests that need
# no screen; ICO for buttons with .ico icons.
set(ZARVEL_QT_PLUGINS Qt5::QWindowsIntegrationPlugin Qt5::QOffscreenIntegrationPlugin Qt5::QICOPlugin)
foreach(plugin IN LISTS ZARVEL_QT_PLUGINS)
    if(NOT TARGET ${plugin})
        message(FATAL_ERROR "${plugin} is missing from the Qt in ${Qt5_DIR}")
    endif()
endforeach()

set(ZARVEL_RUNTIME_DLLS)
foreach(dll libgcc_s_seh-1.dll libgcc_s_dw2-1.dll libstdc++-6.dll libwinpthread-1.dll)
    execute_process(COMMAND ${CMAKE_CXX_COMPILER} -print-file-name=${dll}
                    OUTPUT_VARIABLE path OUTPUT_STRIP_TRAILING_WHITESPACE)
    # The compiler echoes a name it cannot find: 64-bit has no dw2 unwinder
    # DLL, 32-bit no seh one.
    if(IS_ABSOLUTE "${path}" AND EXISTS "${path}")
        list(APPEND ZARVEL_RUNTIME_DLLS "${path}")
    endif()
endforeach()
list(LENGTH ZARVEL_RUNTIME_DLLS found)
if(found LESS 3)
    message(FATAL_ERROR "The compiler's runtime DLLs were not all found: ${ZARVEL_RUNTIME_DLLS}")
endif()

set(copies)
foreach(dll IN LISTS ZARVEL_RUNTIME_DLLS)
    list(APPEND copies COMMAND ${CMAKE_COMMAND} -E copy_if_different ${dll} $<TARGET_FILE_DIR:Zarvel>)
endforeach()
foreach(module Core Gui Network Widgets)
    list(APPEND copies COMMAND ${CMAKE_COMMAND} -E copy_if_different
         $<TARGET_FILE:Qt5::${module}> $<TARGET_FILE_DIR:Zarvel>)
endforeach()
foreach(plugin IN LISTS ZARVEL_QT_PLUGINS)
    get_target_property(file ${plugin} LOCATION)
    get_filename_component(kind ${file} DIRECTORY)
    get_filename_component(kind ${kind} NAME)
    list(APPEND copies
         COMMAND ${CMAKE_COMMAND} -E make_directory $<TARGET_FILE_DIR:Zarvel>/${kind}
         COMMAND ${CMAKE_COMMAND} -E copy_if_different ${file} $<TARGET_FILE_DIR:Zarvel>/${kind})
    install(FILES ${file} DESTINATION ${ZARVEL_INSTALL_PROGRAM_DIR}/${kind})
endforeach()
add_custom_command(TARGET Zarvel POST_BUILD ${copies} VERBATIM)

install(FILES ${ZARVEL_RUNTIME_DLLS} $<TARGET_FILE:Qt5::Core> $<TARGET_FILE:Qt5::Gui> $<TARGET_FILE:Qt5::Network>
        $<TARGET_FILE:Qt5::Widgets>
        DESTINATION ${ZARVEL_INSTALL_PROGRAM_DIR})
# The compiler's runtime DLLs carry their debugging sections, five sixths of
# libstdc++'s size: the installed folder, which users download, gets them
# without.
foreach(dll IN LISTS ZARVEL_RUNTIME_DLLS)
    get_filename_component(name ${dll} NAME)
    install(CODE "execute_process(COMMAND \"${CMAKE_STRIP}\" --strip-debug
        \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/${ZARVEL_INSTALL_PROGRAM_DIR}/${name}\" COMMAND_ERROR_IS_FATAL ANY)")
endforeach()
