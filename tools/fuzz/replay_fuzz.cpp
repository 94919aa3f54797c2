// libFuzzer target for the replay reader, and for playing back whatever it takes. Any broken check
// aborts, which libFuzzer reports with the input that broke it.
#include "support/fuzz_checks.h"
#include "support/replay_fuzz_checks.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    return fuzz_checks::AbortOnFinding(
        fuzz_checks::CheckReplayReader(fuzz_checks::AsText(data, size)));
}
