# SPDX-License-Identifier: GPL-3.0-or-later
# The folder that ships the Windows programs, and a zip of it: build-windows/kotar-windows/ and
# build-windows/kotar-windows.zip. kotar-cli.exe beside the codec DLLs that it loads when a
# conversion needs them; kotar.exe with the Qt DLLs it links, the plugins Qt loads from the
# program's folder (the Windows platform and the Windows Vista style), the C++ runtime DLLs
# that Qt's DLLs import (the programs have it linked in), and Qt's Japanese texts of its
# standard buttons with the qt.conf that points Qt at them.
set(programs $<TARGET_FILE:kotar-cli>)
set(libraries ${KOTAR_CODEC_DLLS})
set(plugins)
set(translations)
if(TARGET kotar)
    # (Qt's imported targets belong to the folder that found Qt.)
    find_package(Qt6 REQUIRED COMPONENTS Core Gui Widgets Network)
    list(APPEND programs $<TARGET_FILE:kotar>)
    foreach(module IN ITEMS Core Gui Widgets Network)
        list(APPEND libraries $<TARGET_FILE:Qt6::${module}>)
    endforeach()
    list(APPEND plugins $<TARGET_FILE:Qt6::QWindowsIntegrationPlugin>
                        $<TARGET_FILE:Qt6::QWindowsVistaStylePlugin>)
    foreach(runtime IN ITEMS libstdc++-6.dll libgcc_s_seh-1.dll libwinpthread-1.dll)
        execute_process(COMMAND ${CMAKE_CXX_COMPILER} -print-file-name=${runtime}
                        OUTPUT_VARIABLE path OUTPUT_STRIP_TRAILING_WHITESPACE)
        if(NOT IS_ABSOLUTE "${path}" OR NOT EXISTS "${path}")
            message(FATAL_ERROR "The compiler's ${runtime} is not found")
        endif()
        list(APPEND libraries ${path})
    endforeach()
    # The same texts as the build machine's Qt of the same version (qt6-translations-l10n).
    find_file(KOTAR_QT_JAPANESE qtbase_ja.qm PATHS /usr/share/qt6/translations
              NO_DEFAULT_PATH NO_CMAKE_FIND_ROOT_PATH)
    if(NOT KOTAR_QT_JAPANESE)
        message(FATAL_ERROR "Qt's Japanese texts (qtbase_ja.qm of qt6-translations-l10n) are "
                            "not installed")
    endif()
    list(APPEND translations ${KOTAR_QT_JAPANESE})
endif()

# Open JTalk (cmake/WindowsSpeech.cmake), the licences (KOTAR's and the third-party pieces', from
# their Debian copyright files: scripts/windows-notices.sh) and the installers' guide, rendered by
# the build machine's build (KOTAR_WINDOWS_GUIDE: its docs folder with guide.html and images).
set(extras)
include(${CMAKE_CURRENT_LIST_DIR}/WindowsSpeech.cmake)
set(notices ${CMAKE_BINARY_DIR}/notices)
add_custom_command(OUTPUT ${notices}/LICENSE.txt
                   COMMAND ${PROJECT_SOURCE_DIR}/scripts/windows-notices.sh ${notices}
                   DEPENDS ${PROJECT_SOURCE_DIR}/scripts/windows-notices.sh
                           ${PROJECT_SOURCE_DIR}/LICENSE
                   COMMENT "Collecting the licences of the Windows folder" VERBATIM)
add_custom_target(kotar_windows_notices DEPENDS ${notices}/LICENSE.txt)
list(APPEND extras ".=${notices}/LICENSE.txt" ".=${notices}/licenses")
set(KOTAR_WINDOWS_GUIDE "" CACHE PATH "The docs folder of the build machine's build (guide.html, images)")
if(KOTAR_WINDOWS_GUIDE)
    list(APPEND extras "docs=${KOTAR_WINDOWS_GUIDE}/guide.html" "docs=${KOTAR_WINDOWS_GUIDE}/images")
endif()

add_custom_target(kotar-windows ALL
    COMMAND ${CMAKE_COMMAND} -DPACKAGE_DIR=${CMAKE_BINARY_DIR}/kotar-windows
            -DZIP=${CMAKE_BINARY_DIR}/kotar-windows.zip
            "-DPROGRAMS=$<JOIN:${programs},|>"
            "-DLIBRARIES=$<JOIN:${libraries},|>"
            "-DPLUGINS=$<JOIN:${plugins},|>"
            "-DTRANSLATIONS=$<JOIN:${translations},|>"
            "-DEXTRAS=$<JOIN:${extras},|>"
            -DOBJDUMP=${CMAKE_OBJDUMP} -DSTRIP=${CMAKE_STRIP}
            -P ${CMAKE_CURRENT_LIST_DIR}/WindowsPackage.cmake
    COMMENT "Packing build-windows/kotar-windows"
    VERBATIM)
add_dependencies(kotar-windows kotar-cli kotar_windows_notices)
if(NOT TARGET kotar)
    return()
endif()
add_dependencies(kotar-windows kotar)

# The same Qt and runtime DLLs and plugins beside the programs and tests of the build folder,
# so that they run there as they are (under Wine too), with Qt's test library and the offscreen
# platform of the dialog tests.
find_package(Qt6 REQUIRED COMPONENTS Test)
set(copies)
foreach(library IN LISTS libraries ITEMS $<TARGET_FILE:Qt6::Test>)
    list(APPEND copies COMMAND ${CMAKE_COMMAND} -E copy_if_different ${library}
                               ${CMAKE_BINARY_DIR})
endforeach()
foreach(plugin IN LISTS plugins ITEMS $<TARGET_FILE:Qt6::QOffscreenIntegrationPlugin>)
    # Into the folder of its kind (platforms, styles), named as in Qt's plugin folder.
    set(kind_dir ${CMAKE_BINARY_DIR}/$<PATH:GET_FILENAME,$<PATH:GET_PARENT_PATH,${plugin}>>)
    list(APPEND copies COMMAND ${CMAKE_COMMAND} -E make_directory ${kind_dir}
                       COMMAND ${CMAKE_COMMAND} -E copy_if_different ${plugin} ${kind_dir})
endforeach()
add_custom_target(kotar_windows_runtime ALL ${copies}
                  COMMENT "Qt and runtime DLLs beside the programs of the build folder" VERBATIM)
