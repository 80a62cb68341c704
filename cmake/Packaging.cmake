# SPDX-License-Identifier: GPL-3.0-or-later
# Installation and the Debian package (make package): the three programs with their manual
# pages, the menu entry with its icon in the usual sizes, the AppStream metainfo, the README, the
# changelog, the copyright file, the installers' guide and the bash completion of kotar-cli. On
# Windows the folder that ships the programs instead.
if(WIN32)
    include(${CMAKE_CURRENT_LIST_DIR}/WindowsFolder.cmake)
    return()
endif()
if(NOT UNIX OR APPLE)
    return()
endif()
include(GNUInstallDirs)

set(KOTAR_APPSTREAM_ID io.github.kotar.kotar)
set(KOTAR_ICON_SIZES 16 22 24 32 48 64 128 256)
# The package's maintainer, also the author of its changelog entries.
set(KOTAR_MAINTAINER "KOTAR developers <kotar@users.noreply.github.com>")

# The changelog: packaging/changelog with the build's version in its newest entry and the
# maintainer filled in. A release turns the newest entry's version into the released number and
# starts a new entry above it. The newest entry's date is the release date of the metainfo and
# the date of the manual pages.
configure_file(${PROJECT_SOURCE_DIR}/packaging/changelog ${CMAKE_BINARY_DIR}/packaging/changelog
               @ONLY)
file(STRINGS ${PROJECT_SOURCE_DIR}/packaging/changelog kotar_changelog_trailer REGEX "^ -- "
     LIMIT_COUNT 1)
string(REGEX REPLACE "^ -- .*  " "" kotar_release_date_text "${kotar_changelog_trailer}")
execute_process(COMMAND date -u -d "${kotar_release_date_text}" +%F
                OUTPUT_VARIABLE KOTAR_RELEASE_DATE OUTPUT_STRIP_TRAILING_WHITESPACE
                COMMAND_ERROR_IS_FATAL ANY)
execute_process(COMMAND date -u -d "${kotar_release_date_text}" +%s
                OUTPUT_VARIABLE kotar_release_epoch OUTPUT_STRIP_TRAILING_WHITESPACE
                COMMAND_ERROR_IS_FATAL ANY)
# Compressed as Debian installs it, without name or time stamp (the same bytes every build).
add_custom_command(OUTPUT ${CMAKE_BINARY_DIR}/packaging/changelog.gz
                   COMMAND gzip -9nkf ${CMAKE_BINARY_DIR}/packaging/changelog
                   DEPENDS ${CMAKE_BINARY_DIR}/packaging/changelog
                   COMMENT "Compressing the changelog"
                   VERBATIM)

# The manual pages, from each program's --help and --version.
find_program(KOTAR_HELP2MAN help2man REQUIRED)
set(kotar_manual_pages)
function(kotar_manual_page program summary)
    set(page ${CMAKE_BINARY_DIR}/man/${program}.1)
    add_custom_command(OUTPUT ${page} ${page}.gz
                       COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_BINARY_DIR}/man
                       COMMAND ${CMAKE_COMMAND} -E env SOURCE_DATE_EPOCH=${kotar_release_epoch}
                               ${PROJECT_SOURCE_DIR}/scripts/manual-page.sh
                               $<TARGET_FILE:${program}> ${summary}
                               ${PROJECT_SOURCE_DIR}/packaging/manual-pages.h2m ${page}
                       DEPENDS ${program} ${PROJECT_SOURCE_DIR}/scripts/manual-page.sh
                               ${PROJECT_SOURCE_DIR}/packaging/manual-pages.h2m
                       COMMENT "Writing the manual page of ${program}"
                       VERBATIM)
    install(FILES ${page}.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
    set(kotar_manual_pages ${kotar_manual_pages} ${page}.gz PARENT_SCOPE)
endfunction()
kotar_manual_page(kotar-cli
    "the phrases of a fire-alarm notification device prepared and written from the command line")
kotar_manual_page(kotar-devsim "a fire-alarm notification device simulated on a pseudo-terminal")
if(TARGET kotar)
    kotar_manual_page(kotar
        "prepare the spoken phrases of a fire-alarm notification device and write them into it")
endif()
add_custom_target(kotar_package_documents ALL
                  DEPENDS ${kotar_manual_pages} ${CMAKE_BINARY_DIR}/packaging/changelog.gz)

# The programs, stripped as Debian strips them (CPACK_STRIP_FILES below): also without the
# compilers' identification (.comment) and the .note section, which nothing reads.
function(kotar_install_program program)
    install(TARGETS ${program} RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
    set(file "\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/${CMAKE_INSTALL_BINDIR}/${program}")
    install(CODE "if(CMAKE_INSTALL_DO_STRIP)
        execute_process(COMMAND \"${CMAKE_STRIP}\" --remove-section=.comment
                                --remove-section=.note \"${file}\" COMMAND_ERROR_IS_FATAL ANY)
    endif()")
endfunction()
kotar_install_program(kotar-cli)
kotar_install_program(kotar-devsim)
install(FILES ${PROJECT_SOURCE_DIR}/README.md ${PROJECT_SOURCE_DIR}/packaging/copyright
              ${CMAKE_BINARY_DIR}/packaging/changelog.gz
        DESTINATION ${CMAKE_INSTALL_DOCDIR})
# The bash completion of kotar-cli, where bash-completion loads it on first use.
install(FILES ${PROJECT_SOURCE_DIR}/packaging/bash-completion/kotar-cli
        DESTINATION ${CMAKE_INSTALL_DATADIR}/bash-completion/completions)
# The installers' guide and the pictures of the dialogs it shows (rendered by docs/).
if(TARGET kotar)
    install(FILES ${CMAKE_BINARY_DIR}/docs/guide.html DESTINATION ${CMAKE_INSTALL_DOCDIR})
    install(DIRECTORY ${CMAKE_BINARY_DIR}/docs/images DESTINATION ${CMAKE_INSTALL_DOCDIR})
    # Registered with the system's documentation index (doc-base).
    install(FILES ${PROJECT_SOURCE_DIR}/packaging/kotar-guide.doc-base
            DESTINATION ${CMAKE_INSTALL_DATADIR}/doc-base RENAME kotar-guide)
endif()

if(TARGET kotar)
    kotar_install_program(kotar)
    install(FILES ${PROJECT_SOURCE_DIR}/packaging/kotar.desktop
            DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
    configure_file(${PROJECT_SOURCE_DIR}/packaging/kotar.metainfo.xml
                   ${CMAKE_BINARY_DIR}/packaging/${KOTAR_APPSTREAM_ID}.metainfo.xml @ONLY)
    install(FILES ${CMAKE_BINARY_DIR}/packaging/${KOTAR_APPSTREAM_ID}.metainfo.xml
            DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)

    # The icon is the one the program draws for its windows, rendered at build time.
    add_executable(kotar_icon_writer ${PROJECT_SOURCE_DIR}/src/app/IconWriter.cpp)
    target_link_libraries(kotar_icon_writer PRIVATE kotar_gui kotar_warnings)
    set(icon_files)
    foreach(size IN LISTS KOTAR_ICON_SIZES)
        list(APPEND icon_files ${CMAKE_BINARY_DIR}/icons/hicolor/${size}x${size}/apps/kotar.png)
    endforeach()
    add_custom_command(OUTPUT ${icon_files}
                       COMMAND kotar_icon_writer ${CMAKE_BINARY_DIR}/icons/hicolor
                               ${KOTAR_ICON_SIZES}
                       DEPENDS kotar_icon_writer
                       COMMENT "Drawing the program icon")
    # The same icon for the Windows program, its installer and its Start-menu entry.
    add_custom_command(OUTPUT ${CMAKE_BINARY_DIR}/icons/kotar.ico
                       COMMAND kotar_icon_writer --ico ${CMAKE_BINARY_DIR}/icons/kotar.ico
                               16 24 32 48 64 256
                       DEPENDS kotar_icon_writer
                       COMMENT "Drawing the program icon for Windows")
    add_custom_target(kotar_icons ALL DEPENDS ${icon_files} ${CMAKE_BINARY_DIR}/icons/kotar.ico)
    install(DIRECTORY ${CMAKE_BINARY_DIR}/icons/hicolor
            DESTINATION ${CMAKE_INSTALL_DATADIR}/icons)
endif()

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME kotar)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "KOTAR developers")
set(CPACK_PACKAGE_CONTACT "${KOTAR_MAINTAINER}")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY
    "phrase tool for the fire-alarm notification device")
# The long description; dpkg's synopsis line is the summary above.
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION
    "KOTAR prepares the spoken phrases of a fire-alarm notification device
(recorded or imported, trimmed, converted to G.711 mu-law) and writes them
over a serial line into the device, or exports them for a ROM writer.

The package holds the desktop program kotar, the command-line tool
kotar-cli and the device simulator kotar-devsim.")
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
# The libraries the programs link come from dpkg-shlibdeps; libsndfile and libsoxr are loaded
# at run time only when a conversion needs them, which dpkg-shlibdeps cannot see.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "libsndfile1, libsoxr0")
# Japanese standard buttons in message boxes and file dialogs, and the dialog font.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS
    "qt6-translations-l10n, fonts-noto-cjk, open-jtalk, open-jtalk-mecab-naist-jdic, hts-voice-nitech-jp-atr503-m001")
set(CPACK_STRIP_FILES ON)
set(CPACK_PACKAGE_DIRECTORY ${CMAKE_BINARY_DIR})
include(CPack)
