// SPDX-License-Identifier: GPL-3.0-or-later
// The libFuzzer entry of one target, chosen by name when it is built (KOTAR_FUZZ_TARGET_NAME).
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string_view>

#include "FuzzTargets.h"

namespace {

kotar::fuzz::Target FindTarget() {
    for (const kotar::fuzz::Target& target : kotar::fuzz::kTargets) {
        if (std::string_view(target.name) == KOTAR_FUZZ_TARGET_NAME)
            return target;
    }
    std::fprintf(stderr, "kotar fuzz: no target named %s\n", KOTAR_FUZZ_TARGET_NAME);
    std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const kotar::fuzz::Target target = FindTarget();
    target.run({data, size});
    return 0;
}
