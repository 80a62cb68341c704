# SPDX-License-Identifier: GPL-3.0-or-later
# Makes the folder that ships the Windows programs, checks that it holds every DLL they import
# apart from the system's own, and zips it. Run as a script:
#   cmake -DPACKAGE_DIR=... -DZIP=... -DPROGRAMS=a.exe|... -DLIBRARIES=x.dll|...
#         [-DPLUGINS=.../platforms/p.dll|...] [-DTRANSLATIONS=x.qm|...] [-DEXTRAS=DEST=SOURCE|...]
#         -DOBJDUMP=... -DSTRIP=... -P WindowsPackage.cmake
# Programs and libraries go into the folder itself, each plugin into the subfolder of its kind
# (the name of the folder it comes from), translations into translations/ with a qt.conf that
# makes the folder Qt's prefix. Every binary is copied without its debugging information and
# symbol table (what it exports stays).
cmake_minimum_required(VERSION 3.25)

# DLLs that every Windows system has; anything else a program or library imports must be in
# the folder.
set(system_dlls
    advapi32.dll api-ms-win-core-synch-l1-2-0.dll api-ms-win-core-winrt-l1-1-0.dll
    api-ms-win-core-winrt-string-l1-1-0.dll authz.dll bcrypt.dll cfgmgr32.dll comdlg32.dll
    d3d9.dll d3d11.dll dnsapi.dll dwmapi.dll dxgi.dll gdi32.dll imm32.dll iphlpapi.dll
    kernel32.dll mpr.dll msvcrt.dll netapi32.dll ntdll.dll ole32.dll oleaut32.dll secur32.dll
    setupapi.dll shcore.dll shell32.dll shlwapi.dll user32.dll userenv.dll uuid.dll uxtheme.dll
    version.dll winhttp.dll winmm.dll ws2_32.dll wtsapi32.dll)

string(REPLACE "|" ";" PROGRAMS "${PROGRAMS}")
string(REPLACE "|" ";" LIBRARIES "${LIBRARIES}")
string(REPLACE "|" ";" PLUGINS "${PLUGINS}")
string(REPLACE "|" ";" TRANSLATIONS "${TRANSLATIONS}")
file(REMOVE_RECURSE ${PACKAGE_DIR})
file(MAKE_DIRECTORY ${PACKAGE_DIR})

function(ship binary destination)
    get_filename_component(name ${binary} NAME)
    file(MAKE_DIRECTORY ${destination})
    execute_process(COMMAND ${STRIP} --strip-unneeded -o ${destination}/${name} ${binary}
                    RESULT_VARIABLE result)
    if(NOT result EQUAL 0)
        message(FATAL_ERROR "cannot copy ${binary} into ${destination}")
    endif()
endfunction()

foreach(binary IN LISTS PROGRAMS LIBRARIES)
    ship(${binary} ${PACKAGE_DIR})
endforeach()
foreach(plugin IN LISTS PLUGINS)
    get_filename_component(kind_dir ${plugin} DIRECTORY)
    get_filename_component(kind ${kind_dir} NAME)
    ship(${plugin} ${PACKAGE_DIR}/${kind})
endforeach()
if(TRANSLATIONS)
    file(COPY ${TRANSLATIONS} DESTINATION ${PACKAGE_DIR}/translations)
    file(WRITE ${PACKAGE_DIR}/qt.conf "[Paths]\r\nPrefix = .\r\n")
endif()
# Further files: each EXTRAS entry DEST=SOURCE copies the file or folder SOURCE into the
# subfolder DEST ("." for the folder itself).
string(REPLACE "|" ";" EXTRAS "${EXTRAS}")
foreach(extra IN LISTS EXTRAS)
    if(NOT extra MATCHES "^([^=]+)=(.+)$")
        message(FATAL_ERROR "EXTRAS entry '${extra}' is not DEST=SOURCE")
    endif()
    if(NOT EXISTS "${CMAKE_MATCH_2}")
        message(FATAL_ERROR "${CMAKE_MATCH_2} is missing")
    endif()
    file(COPY "${CMAKE_MATCH_2}" DESTINATION "${PACKAGE_DIR}/${CMAKE_MATCH_1}")
endforeach()

# What a program, library or plugin imports is looked for beside the programs.
file(GLOB shipped RELATIVE ${PACKAGE_DIR} ${PACKAGE_DIR}/*.exe ${PACKAGE_DIR}/*.dll)
string(TOLOWER "${shipped}" shipped_lower)
file(GLOB_RECURSE binaries RELATIVE ${PACKAGE_DIR} ${PACKAGE_DIR}/*.exe ${PACKAGE_DIR}/*.dll)
foreach(file IN LISTS binaries)
    execute_process(COMMAND ${OBJDUMP} -p ${PACKAGE_DIR}/${file} OUTPUT_VARIABLE headers
                    RESULT_VARIABLE result)
    if(NOT result EQUAL 0)
        message(FATAL_ERROR "${OBJDUMP} cannot read ${file}")
    endif()
    string(REGEX MATCHALL "DLL Name: [^\r\n]+" imports "${headers}")
    foreach(import IN LISTS imports)
        string(REPLACE "DLL Name: " "" dll "${import}")
        string(TOLOWER "${dll}" dll)
        if(NOT dll IN_LIST system_dlls AND NOT dll IN_LIST shipped_lower)
            message(FATAL_ERROR "${file} imports ${dll}, which is neither shipped nor a system DLL")
        endif()
    endforeach()
endforeach()

get_filename_component(parent ${PACKAGE_DIR} DIRECTORY)
get_filename_component(folder ${PACKAGE_DIR} NAME)
file(REMOVE ${ZIP})
execute_process(COMMAND ${CMAKE_COMMAND} -E tar cf ${ZIP} --format=zip ${folder}
                WORKING_DIRECTORY ${parent} RESULT_VARIABLE result)
if(NOT result EQUAL 0)
    message(FATAL_ERROR "cannot make ${ZIP}")
endif()
