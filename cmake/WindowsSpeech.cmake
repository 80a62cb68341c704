# Open JTalk for the Windows folder: open_jtalk.exe with its dictionary and voice, as
# scripts/windows-openjtalk.sh builds them, copied into the shipped folder under open_jtalk\
# (where the program looks for them by default).
#
# Included from the Windows build: KOTAR_OPENJTALK_DIR names that script's prefix (empty: the
# folder ships without speech synthesis). Run as a script after the folder is made:
#   cmake -DPACKAGE_DIR=... -DOPENJTALK_DIR=... [-DZIP=...] -P WindowsSpeech.cmake
# copies the files and, given ZIP, makes the zip of the folder again.
cmake_minimum_required(VERSION 3.25)

# Fails unless the prefix holds the program, the dictionary's main file and one voice.
function(kotar_check_openjtalk_dir dir)
    foreach(file open_jtalk.exe dic/sys.dic dic/matrix.bin dic/char.bin dic/unk.dic)
        if(NOT EXISTS ${dir}/${file})
            message(FATAL_ERROR "${dir} lacks ${file}: run scripts/windows-openjtalk.sh")
        endif()
    endforeach()
    file(GLOB voices ${dir}/voice/*.htsvoice)
    if(NOT voices)
        message(FATAL_ERROR "${dir}/voice holds no .htsvoice file")
    endif()
endfunction()

if(CMAKE_SCRIPT_MODE_FILE)
    kotar_check_openjtalk_dir(${OPENJTALK_DIR})
    set(target ${PACKAGE_DIR}/open_jtalk)
    file(REMOVE_RECURSE ${target})
    file(MAKE_DIRECTORY ${target})
    file(COPY ${OPENJTALK_DIR}/open_jtalk.exe ${OPENJTALK_DIR}/dic ${OPENJTALK_DIR}/voice
         DESTINATION ${target})
    if(ZIP)
        get_filename_component(parent ${PACKAGE_DIR} DIRECTORY)
        get_filename_component(folder ${PACKAGE_DIR} NAME)
        file(REMOVE ${ZIP})
        execute_process(COMMAND ${CMAKE_COMMAND} -E tar cf ${ZIP} --format=zip ${folder}
                        WORKING_DIRECTORY ${parent} RESULT_VARIABLE result)
        if(NOT result EQUAL 0)
            message(FATAL_ERROR "cannot make ${ZIP}")
        endif()
    endif()
    return()
endif()

set(KOTAR_OPENJTALK_DIR "" CACHE PATH
    "Prefix of scripts/windows-openjtalk.sh whose open_jtalk.exe, dic and voice ship in the Windows folder")
if(KOTAR_OPENJTALK_DIR AND TARGET kotar-windows)
    kotar_check_openjtalk_dir(${KOTAR_OPENJTALK_DIR})
    add_custom_command(TARGET kotar-windows POST_BUILD
        COMMAND ${CMAKE_COMMAND} -DPACKAGE_DIR=${CMAKE_BINARY_DIR}/kotar-windows
                -DZIP=${CMAKE_BINARY_DIR}/kotar-windows.zip
                -DOPENJTALK_DIR=${KOTAR_OPENJTALK_DIR}
                -P ${CMAKE_CURRENT_LIST_DIR}/WindowsSpeech.cmake
        COMMENT "Adding Open JTalk to build-windows/kotar-windows"
        VERBATIM)
endif()
