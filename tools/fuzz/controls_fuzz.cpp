// libFuzzer target for the "controls.ini" reader. Any broken check aborts, which libFuzzer
// reports with the input that broke it.
#include "support/fuzz_checks.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    return fuzz_checks::AbortOnFinding(
        fuzz_checks::CheckControlsReader(fuzz_checks::AsText(data, size)));
}
