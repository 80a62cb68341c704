# SPDX-License-Identifier: GPL-3.0-or-later
# Debian's default hardening of compiled programs (dpkg-buildflags) for the Linux build: the C
# library's checked variants of string and memory functions where the compiler knows the
# buffer size, and stack protection. Left out in the sanitizer and fuzz builds, whose own
# instrumentation does these checks (the checked variants would escape its interception), and in
# unoptimised builds, where the checked variants do not exist. Immediate binding (-z now) is
# left out as Debian's defaults leave it out: every program would resolve all its library
# symbols at start, which kotar-cli's short runs would pay for.
if(UNIX AND NOT APPLE AND NOT KOTAR_SANITIZE AND NOT KOTAR_FUZZ)
    add_compile_definitions($<$<NOT:$<CONFIG:Debug>>:_FORTIFY_SOURCE=2>)
    add_compile_options(-fstack-protector-strong)
endif()
