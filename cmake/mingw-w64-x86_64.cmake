# SPDX-License-Identifier: GPL-3.0-or-later
# Cross build for 64-bit Windows with Debian's MinGW-w64 (posix threads):
#   cmake -S . -B build-windows -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake
# KOTAR_WINDOWS_DEPS names the prefix that scripts/windows-deps.sh fills with libsndfile,
# libsoxr and GoogleTest built for Windows.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(KOTAR_MINGW_TRIPLET x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${KOTAR_MINGW_TRIPLET}-gcc-posix)
set(CMAKE_CXX_COMPILER ${KOTAR_MINGW_TRIPLET}-g++-posix)
set(CMAKE_RC_COMPILER ${KOTAR_MINGW_TRIPLET}-windres)

if(NOT KOTAR_WINDOWS_DEPS AND DEFINED ENV{KOTAR_WINDOWS_DEPS})
    set(KOTAR_WINDOWS_DEPS $ENV{KOTAR_WINDOWS_DEPS})
endif()
# try_compile projects see the same prefix.
list(APPEND CMAKE_TRY_COMPILE_PLATFORM_VARIABLES KOTAR_WINDOWS_DEPS)

set(CMAKE_FIND_ROOT_PATH /usr/${KOTAR_MINGW_TRIPLET} ${KOTAR_WINDOWS_DEPS})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# pkg-config answers for the Windows libraries only, never for the build machine's.
if(KOTAR_WINDOWS_DEPS)
    set(ENV{PKG_CONFIG_LIBDIR} "${KOTAR_WINDOWS_DEPS}/lib/pkgconfig")
    set(ENV{PKG_CONFIG_PATH} "")
endif()

# Test programs run under Wine (a wrapper that sets the prefix may be given instead).
if(NOT CMAKE_CROSSCOMPILING_EMULATOR)
    find_program(KOTAR_WINE_PROGRAM NAMES wine wine64)
    if(KOTAR_WINE_PROGRAM)
        set(CMAKE_CROSSCOMPILING_EMULATOR ${KOTAR_WINE_PROGRAM})
    endif()
endif()
