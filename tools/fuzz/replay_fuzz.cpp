// libFuzzer target for the replay reader, and for playing back whatever it takes. Any broken
// check aborts, which libFuzzer reports with the input that broke it.
#include <cstdio>
#include <cstdlib>

#include "support/replay_fuzz_checks.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string problem =
        fuzz_checks::CheckReplayReader({reinterpret_cast<const char*>(data), size});
    if (!problem.empty()) {
        std::fprintf(stderr, "check failed: %s\n", problem.c_str());
        std::abort();
    }
    return 0;
}
