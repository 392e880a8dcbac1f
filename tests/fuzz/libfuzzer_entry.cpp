// libFuzzer's entry points for one target, chosen when the program is built
// (KORVEL_FUZZ_READER). Built only with -DKORVEL_FUZZ=ON; see docs/fuzzing.md.
#include <cstdio>
#include <cstdlib>

#include "fuzz/targets.h"

namespace {

const korvel::fuzz::Target& target() {
    static const korvel::fuzz::Target* const found = korvel::fuzz::findTarget(KORVEL_FUZZ_READER);
    if (!found) {
        std::fprintf(stderr, "korvel fuzz: no target %s\n", KORVEL_FUZZ_READER);
        std::abort();
    }
    return *found;
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    target().prepare();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    target().run(data, size);
    return 0;
}
