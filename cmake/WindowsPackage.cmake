# Makes the folder that ships the Windows programs, checks that it holds every DLL they import
# apart from the system's own, and zips it. Run as a script:
#   cmake -DPACKAGE_DIR=... -DZIP=... -DPROGRAMS=a.exe|... -DLIBRARIES=x.dll|...
#         -DOBJDUMP=... -DSTRIP=... -P WindowsPackage.cmake
# The programs are copied without their debugging information.
cmake_minimum_required(VERSION 3.25)

# DLLs that every Windows system has; anything else a program or library imports must be in
# the folder.
set(system_dlls
    advapi32.dll bcrypt.dll cfgmgr32.dll comdlg32.dll gdi32.dll kernel32.dll msvcrt.dll
    ntdll.dll ole32.dll oleaut32.dll setupapi.dll shell32.dll shlwapi.dll user32.dll
    uuid.dll version.dll winmm.dll ws2_32.dll)

string(REPLACE "|" ";" PROGRAMS "${PROGRAMS}")
string(REPLACE "|" ";" LIBRARIES "${LIBRARIES}")
file(REMOVE_RECURSE ${PACKAGE_DIR})
file(MAKE_DIRECTORY ${PACKAGE_DIR})
foreach(program IN LISTS PROGRAMS)
    get_filename_component(name ${program} NAME)
    execute_process(COMMAND ${STRIP} --strip-debug -o ${PACKAGE_DIR}/${name} ${program}
                    RESULT_VARIABLE result)
    if(NOT result EQUAL 0)
        message(FATAL_ERROR "cannot copy ${program} into ${PACKAGE_DIR}")
    endif()
endforeach()
file(COPY ${LIBRARIES} DESTINATION ${PACKAGE_DIR})

file(GLOB shipped RELATIVE ${PACKAGE_DIR} ${PACKAGE_DIR}/*)
string(TOLOWER "${shipped}" shipped_lower)
foreach(file IN LISTS shipped)
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
