// The libFuzzer entry of one target, chosen when it is built (KOTAR_FUZZ_TARGET).
#include <cstddef>
#include <cstdint>

#include "FuzzTargets.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    kotar::fuzz::KOTAR_FUZZ_TARGET({data, size});
    return 0;
}
