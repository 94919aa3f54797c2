#include "game/random.h"

#include "game/state.h"

void Srand(uint32_t seed) {
    RandomState = seed;
}

int32_t Rand() {
    RandomState = RandomState * 214013u + 2531011u;
    return static_cast<int32_t>((RandomState >> 16) & 0x7FFF);
}
