// What must hold for the replay reader whatever bytes it is given: the libFuzzer target
// (tools/fuzz, ./fuzz replay) and the seed test both run these checks.
#pragma once

#include <string>
#include <string_view>

#include "platform/byte_coding.h"
#include "replay/playback.h"
#include "replay/replay_file.h"

namespace fuzz_checks {

// The same bytes with the size and checksum made right for whatever follows them, so that a
// fuzzer gets past the checksum into the body; unchanged when there is no header to fix.
inline std::string WithChecksumFixed(std::string_view bytes) {
    std::string fixed(bytes);
    size_t at = 8;
    const auto varint = [&](uint64_t& value) {
        const auto next = [&](uint8_t& byte) {
            if (at >= fixed.size()) return false;
            byte = static_cast<uint8_t>(fixed[at++]);
            return true;
        };
        return ReadVarint(next, value) == VarintRead::Read;
    };
    uint64_t format = 0, size = 0;
    if (fixed.size() < 8 || !varint(format)) return fixed;
    const size_t sizeAt = at;
    if (!varint(size) || at != sizeAt + 1 || fixed.size() < at + 4) return fixed;
    const size_t body = at + 4;
    const size_t length = fixed.size() - body;
    if (length >= 0x80) return fixed;  // keeps the size field one byte long
    fixed[sizeAt] = static_cast<char>(length);
    const uint32_t crc = Crc32(std::string_view(fixed).substr(body));
    for (int i = 0; i < 4; ++i) fixed[at + i] = static_cast<char>(crc >> (8 * i));
    return fixed;
}

// The reader either takes the file whole, with no reason given, or refuses it with a reason;
// what it takes writes back to the same bytes, and plays back to some verdict without a
// fault. Recordings longer than `mostFrames` are read but not played, to keep runs quick.
inline std::string CheckReplayBytes(std::string_view bytes, int64_t mostFrames) {
    Replay replay;
    std::string reason;
    const bool read = ReadReplay(bytes, replay, reason);
    if (read != reason.empty()) return read ? "read with a reason" : "refused without a reason";
    if (!read) return "";
    if (WriteReplay(replay) != bytes) return "a replay read does not write back the same";
    if (replay.End.Frames > mostFrames) return "";
    const PlaybackResult result = CheckPlayback(replay);
    if (result.Outcome == PlaybackResult::Verdict::Stopped) return "a check was stopped";
    if (result.Outcome == PlaybackResult::Verdict::Damaged) {
        return "a replay read whole was found damaged in playback";
    }
    if (result.Outcome == PlaybackResult::Verdict::Departs && result.Message.empty()) {
        return "a departure without a reason";
    }
    return "";
}

inline std::string CheckReplayReader(std::string_view bytes, int64_t mostFrames = 20000) {
    std::string problem = CheckReplayBytes(bytes, mostFrames);
    if (problem.empty()) problem = CheckReplayBytes(WithChecksumFixed(bytes), mostFrames);
    return problem;
}

}  // namespace fuzz_checks
