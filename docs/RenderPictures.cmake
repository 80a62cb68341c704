# SPDX-License-Identifier: GPL-3.0-or-later
# Renders the guide's pictures: runs the screenshot programs (PROGRAMS, separated by "|")
# offscreen into SHOTS_DIR, then copies the pictures that GUIDE shows into IMAGES_DIR. Both
# folders start empty, so a picture no program renders any more is missing, not stale. A program
# that fails is reported; the pictures it did not render are then missing, which the guide's
# check (ctest kotar_guide_pictures) reports.
include(${CMAKE_CURRENT_LIST_DIR}/GuidePictures.cmake)
string(REPLACE "|" ";" programs "${PROGRAMS}")

file(REMOVE_RECURSE ${SHOTS_DIR} ${IMAGES_DIR})
file(MAKE_DIRECTORY ${SHOTS_DIR} ${IMAGES_DIR})
set(ENV{QT_QPA_PLATFORM} offscreen)
set(ENV{KOTAR_SCREENSHOT_DIR} ${SHOTS_DIR})
# Numbers in the dialogs' fields as the C locale writes them, whatever the build machine's.
set(ENV{LC_ALL} C.UTF-8)
foreach(program IN LISTS programs)
    execute_process(COMMAND ${program} WORKING_DIRECTORY ${SHOTS_DIR} TIMEOUT 120
                    RESULT_VARIABLE result OUTPUT_VARIABLE output ERROR_VARIABLE output)
    if(NOT result EQUAL 0)
        message(WARNING "${program} failed (${result}); its pictures may be missing:\n${output}")
    endif()
endforeach()

kotar_guide_pictures(${GUIDE} references names)
foreach(name IN LISTS names)
    if(EXISTS ${SHOTS_DIR}/${name}.png)
        file(COPY_FILE ${SHOTS_DIR}/${name}.png ${IMAGES_DIR}/${name}.png)
    else()
        message(WARNING "No screenshot program rendered ${name}.png, which the guide shows")
    endif()
endforeach()
