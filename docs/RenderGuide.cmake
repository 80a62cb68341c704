# SPDX-License-Identifier: GPL-3.0-or-later
# Renders the guide (GUIDE, CommonMark) to OUTPUT with CMARK, inside the page of TEMPLATE
# ("@GUIDE_BODY@" and "@KOTAR_VERSION@" replaced).
execute_process(COMMAND ${CMARK} --to html --validate-utf8 --unsafe ${GUIDE}
                RESULT_VARIABLE result OUTPUT_VARIABLE body ERROR_VARIABLE error)
if(NOT result EQUAL 0)
    message(FATAL_ERROR "cmark failed on ${GUIDE} (${result}): ${error}")
endif()
file(READ ${TEMPLATE} page)
string(REPLACE "@KOTAR_VERSION@" "${VERSION}" page "${page}")
string(REPLACE "@GUIDE_BODY@" "${body}" page "${page}")
file(WRITE ${OUTPUT}.tmp "${page}")
file(RENAME ${OUTPUT}.tmp ${OUTPUT})
