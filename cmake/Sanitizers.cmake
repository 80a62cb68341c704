# AddressSanitizer and UndefinedBehaviorSanitizer over every target (make test-sanitize builds
# its own folder with this on). Undefined behaviour ends the program instead of being reported
# and passed over, so a test that meets it fails. Tests that cannot run under AddressSanitizer
# see KOTAR_SANITIZE_ADDRESS and skip themselves with their reason.
option(KOTAR_SANITIZE "Build with AddressSanitizer and UndefinedBehaviorSanitizer" OFF)
if(KOTAR_SANITIZE)
    add_compile_options(-fsanitize=address,undefined -fno-sanitize-recover=undefined
                        -fno-omit-frame-pointer)
    add_link_options(-fsanitize=address,undefined)
    add_compile_definitions(KOTAR_SANITIZE_ADDRESS=1)
endif()
