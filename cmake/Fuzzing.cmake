# SPDX-License-Identifier: GPL-3.0-or-later
# libFuzzer builds (make fuzz, its own build folder, clang): every target is compiled with the
# fuzzer's coverage hooks, AddressSanitizer and UndefinedBehaviorSanitizer; tests/fuzz adds one
# fuzzer program per target.
option(KOTAR_FUZZ "Build the libFuzzer targets (needs clang)" OFF)
if(KOTAR_FUZZ)
    if(NOT CMAKE_CXX_COMPILER_ID STREQUAL "Clang")
        message(FATAL_ERROR "KOTAR_FUZZ needs clang (-DCMAKE_CXX_COMPILER=clang++)")
    endif()
    add_compile_options(-fsanitize=fuzzer-no-link,address,undefined
                        -fno-sanitize-recover=undefined -fno-omit-frame-pointer)
    add_link_options(-fsanitize=address,undefined)
endif()
