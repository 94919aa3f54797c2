// The long soak: ./soak GAMES [SEED]. Plays the games in a fresh temporary folder, prints the
// figures and every finding kept, and exits 1 when there was any.
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "support/soak.h"

int main(int argc, char** argv) {
    const long long games = argc > 1 ? std::atoll(argv[1]) : 10000;
    const uint32_t seed = argc > 2 ? static_cast<uint32_t>(std::strtoul(argv[2], nullptr, 10)) : 1;
    if (games <= 0) {
        std::fprintf(stderr, "usage: zantorvix_soak GAMES [SEED]\n");
        return 2;
    }
    // In memory where there is such a place: the soak saves the table after many games, and a
    // disk's flush would be most of its time.
    std::error_code noMemory;
    const std::filesystem::path base = std::filesystem::is_directory("/dev/shm", noMemory)
                                           ? std::filesystem::path("/dev/shm")
                                           : std::filesystem::temp_directory_path();
    std::string folder = (base / "zantorvix-soak-XXXXXX").string();
    if (mkdtemp(folder.data()) == nullptr) {
        std::perror("zantorvix_soak: cannot make a working folder");
        return 2;
    }
    std::filesystem::current_path(folder);

    const auto start = std::chrono::steady_clock::now();
    const SoakFigures f = RunSoak(games, seed);
    const double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();

    std::filesystem::current_path("/");
    std::error_code ignored;
    std::filesystem::remove_all(folder, ignored);

    std::printf("soak: seed %u\n", seed);
    std::printf(
        "  games        %lld (%lld topped out, %lld left with Escape, %lld with bombs off)\n",
        static_cast<long long>(f.Games), static_cast<long long>(f.TopOuts),
        static_cast<long long>(f.Escapes), static_cast<long long>(f.GamesWithBombsOff));
    std::printf("  frames       %lld\n", static_cast<long long>(f.Frames));
    std::printf("  pieces       %lld\n", static_cast<long long>(f.Pieces));
    std::printf("  rows cleared %lld\n", static_cast<long long>(f.Lines));
    std::printf("  bombs        %lld\n", static_cast<long long>(f.Bombs));
    std::printf("  pauses       %lld\n", static_cast<long long>(f.Pauses));
    std::printf("  high scores  %lld\n", static_cast<long long>(f.HighScores));
    std::printf("  time         %.1f s\n", seconds);
    std::printf("  findings     %lld\n", static_cast<long long>(f.FindingCount));
    for (const std::string& finding : f.Findings) std::printf("    %s\n", finding.c_str());
    return f.FindingCount == 0 ? 0 : 1;
}
