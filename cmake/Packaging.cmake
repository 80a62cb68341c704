# Installation and the Debian package (make package): the three programs, the menu entry with
# its icon in the usual sizes, the AppStream metainfo, the README and the installers' guide.
if(NOT UNIX OR APPLE)
    return()
endif()
include(GNUInstallDirs)

set(KOTAR_APPSTREAM_ID io.github.kotar.kotar)
set(KOTAR_ICON_SIZES 16 22 24 32 48 64 128 256)

install(TARGETS kotar-cli kotar-devsim RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
# The bash completion of kotar-cli, where bash-completion loads it on first use.
install(FILES ${PROJECT_SOURCE_DIR}/packaging/bash-completion/kotar-cli
        DESTINATION ${CMAKE_INSTALL_DATADIR}/bash-completion/completions)
install(FILES ${PROJECT_SOURCE_DIR}/README.md DESTINATION ${CMAKE_INSTALL_DOCDIR})
# The installers' guide and the pictures of the dialogs it shows (rendered by docs/).
if(TARGET kotar)
    install(FILES ${CMAKE_BINARY_DIR}/docs/guide.html DESTINATION ${CMAKE_INSTALL_DOCDIR})
    install(DIRECTORY ${CMAKE_BINARY_DIR}/docs/images DESTINATION ${CMAKE_INSTALL_DOCDIR})
    # Registered with the system's documentation index (doc-base).
    install(FILES ${PROJECT_SOURCE_DIR}/packaging/kotar-guide.doc-base
            DESTINATION ${CMAKE_INSTALL_DATADIR}/doc-base RENAME kotar-guide)
endif()

if(TARGET kotar)
    install(TARGETS kotar RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
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
set(CPACK_PACKAGE_CONTACT "KOTAR developers")
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
