// libFuzzer target for the DDS picture reader. Any broken check aborts, which
// libFuzzer reports with the input that broke it.
#include <cstdio>
#include <cstdlib>

#include "support/fuzz_checks.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string problem = fuzz_checks::CheckDdsReader(data, size);
    if (!problem.empty()) {
        std::fprintf(stderr, "check failed: %s\n", problem.c_str());
        std::abort();
    }
    return 0;
}
