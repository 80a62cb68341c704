# SPDX-License-Identifier: GPL-3.0-or-later
# Every source file names its licence in one of its first three lines:
#   cmake -DSOURCE_DIR=... -P CheckSpdx.cmake
set(tag "SPDX-License-Identifier: GPL-3.0-or-later")
file(GLOB_RECURSE sources RELATIVE ${SOURCE_DIR}
     ${SOURCE_DIR}/src/* ${SOURCE_DIR}/tests/* ${SOURCE_DIR}/tools/* ${SOURCE_DIR}/bench/*
     ${SOURCE_DIR}/cmake/* ${SOURCE_DIR}/scripts/* ${SOURCE_DIR}/docs/*)
list(APPEND sources CMakeLists.txt Makefile .ci/run packaging/kotar.wxs
     packaging/bash-completion/kotar-cli)
set(missing)
foreach(source IN LISTS sources)
    if(NOT source MATCHES "(\\.(cpp|h|cmake|sh|wxs)|CMakeLists\\.txt|Makefile|/run|/kotar-cli)$")
        continue()
    endif()
    if(source MATCHES "/corpus/")
        continue()
    endif()
    file(STRINGS ${SOURCE_DIR}/${source} head LIMIT_COUNT 3)
    string(FIND "${head}" "${tag}" found)
    if(found EQUAL -1)
        list(APPEND missing ${source})
    endif()
endforeach()
if(missing)
    list(JOIN missing "\n  " text)
    message(FATAL_ERROR "without \"${tag}\" in their first lines:\n  ${text}")
endif()
