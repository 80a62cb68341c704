# SPDX-License-Identifier: GPL-3.0-or-later
# Open JTalk for the Windows folder: open_jtalk.exe with its dictionary and voice, as
# scripts/windows-openjtalk.sh builds them, under open_jtalk\ of the shipped folder (where the
# programs look for them by default). KOTAR_OPENJTALK_DIR names that script's prefix (empty: the
# folder ships without speech synthesis). Included from WindowsFolder.cmake: adds to its extras.
set(KOTAR_OPENJTALK_DIR "" CACHE PATH
    "Prefix of scripts/windows-openjtalk.sh whose open_jtalk.exe, dic and voice ship in the Windows folder")
if(NOT KOTAR_OPENJTALK_DIR)
    return()
endif()
# The prefix must hold the program, the dictionary's main files and one voice.
foreach(file open_jtalk.exe dic/sys.dic dic/matrix.bin dic/char.bin dic/unk.dic)
    if(NOT EXISTS ${KOTAR_OPENJTALK_DIR}/${file})
        message(FATAL_ERROR "${KOTAR_OPENJTALK_DIR} lacks ${file}: run scripts/windows-openjtalk.sh")
    endif()
endforeach()
file(GLOB voices ${KOTAR_OPENJTALK_DIR}/voice/*.htsvoice)
if(NOT voices)
    message(FATAL_ERROR "${KOTAR_OPENJTALK_DIR}/voice holds no .htsvoice file")
endif()
foreach(part IN ITEMS open_jtalk.exe dic voice)
    list(APPEND extras "open_jtalk=${KOTAR_OPENJTALK_DIR}/${part}")
endforeach()
