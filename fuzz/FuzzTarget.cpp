// The libFuzzer entry of one target; GLOWMOTION_FUZZ_RUNNER names its runner
// (fuzz/FuzzInputs.h).
#include "FuzzInputs.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    (void)fuzzinputs::GLOWMOTION_FUZZ_RUNNER(data, size);
    return 0;
}
