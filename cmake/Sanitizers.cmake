# SPDX-License-Identifier: GPL-3.0-or-later
# AddressSanitizer and UndefinedBehaviorSanitizer over every target (make test-sanitize builds
# its own folder with this on). Undefined behaviour ends the program instead of being reported
# and passed over, so a test that meets it fails. Tests that cannot run under AddressSanitizer
# see KOTAR_SANITIZE_ADDRESS and skip themselves with their reason.
option(KOTAR_SANITIZE "Build with AddressSanitizer and UndefinedBehaviorSanitizer" OFF)
if(KOTAR_SANITIZE)
    # GCC's "undefined" leaves out float-to-integer conversions out of range, and the audio
    # code converts many samples from float.
    add_compile_options(-fsanitize=address,undefined,float-cast-overflow
                        -fno-sanitize-recover=undefined,float-cast-overflow
                        -fno-omit-frame-pointer)
    add_link_options(-fsanitize=address,undefined,float-cast-overflow)
    # The instrumentation makes GCC see uninitialised reads in the standard library's regex and
    # function code that are not there; the ordinary build keeps the warning.
    add_compile_options(-Wno-maybe-uninitialized)
    add_compile_definitions(KOTAR_SANITIZE_ADDRESS=1)
    # A process that ends through ExitWithoutLibraryTeardown skips the leak checker's exit-time
    # run; it runs the check itself then.
    add_compile_definitions(KOTAR_LEAK_CHECK_AT_EXIT=1)
endif()
