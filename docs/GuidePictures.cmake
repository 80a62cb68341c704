# SPDX-License-Identifier: GPL-3.0-or-later
# The pictures of the installers' guide: every image reference "![text](target)" of the guide,
# and the names NAME of those whose target is "images/NAME.png" (the pictures the screenshot
# programs render), each once, in the order the guide shows them.
function(kotar_guide_pictures guide references_var names_var)
    file(READ ${guide} text)
    string(REGEX MATCHALL "!\\[[^]\n]*\\]\\([^)\n]*\\)" references "${text}")
    set(names)
    foreach(reference IN LISTS references)
        if(reference MATCHES "\\(images/([A-Za-z0-9_-]+)\\.png\\)$")
            list(APPEND names ${CMAKE_MATCH_1})
        endif()
    endforeach()
    list(REMOVE_DUPLICATES names)
    set(${references_var} "${references}" PARENT_SCOPE)
    set(${names_var} "${names}" PARENT_SCOPE)
endfunction()
