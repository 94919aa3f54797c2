#include "replay/snapshot.h"

#include <algorithm>
#include <cstring>
#include <iterator>
#include <string>
#include <type_traits>

#include "platform/byte_coding.h"
#include "replay/state_fields.h"

namespace {

// The digest's passes, in order: each field is folded in by the one pass of its kind.
enum class Pass { Cells, Numbers, Counters, Times, Flags };

template <typename T>
constexpr Pass PassOf() {
    if constexpr (std::is_array_v<T>) {
        return Pass::Cells;
    } else if constexpr (std::is_same_v<T, int32_t>) {
        return Pass::Numbers;
    } else if constexpr (std::is_same_v<T, float>) {
        return Pass::Counters;
    } else if constexpr (std::is_same_v<T, int64_t>) {
        return Pass::Times;
    } else {
        // The byte-sized fields of the records are flags (LandedFlush, ToppedOut), like the
        // booleans: each is folded in as one byte, 0 or 1.
        static_assert(std::is_same_v<T, bool> || std::is_same_v<T, uint8_t>,
                      "a field of a kind the digest does not know: give it a pass of its own");
        return Pass::Flags;
    }
}

template <Pass pass, typename T>
void Fold(Fnv1a& digest, const T& field) {
    if constexpr (PassOf<T>() != pass) {
        return;
    } else if constexpr (pass == Pass::Cells) {
        for (const auto& column : field) {
            for (CellColour cell : column) digest.Add(static_cast<uint32_t>(cell), 1);
        }
    } else if constexpr (pass == Pass::Numbers) {
        digest.Add(static_cast<uint32_t>(field));
    } else if constexpr (pass == Pass::Counters) {
        uint32_t bits = 0;
        std::memcpy(&bits, &field, sizeof bits);
        digest.Add(bits);
    } else if constexpr (pass == Pass::Times) {
        digest.Add(static_cast<uint64_t>(field), 8);
    } else {
        digest.Add(field ? 1 : 0, 1);
    }
}

template <typename T, size_t N>
void CopyArray(T (&to)[N], const T (&from)[N]) {
    std::copy(std::begin(from), std::end(from), std::begin(to));
}

}  // namespace

uint32_t DigestOfState(const GameStateRecord& game, const OptionsRecord& options, uint8_t quit,
                       uint32_t fade) {
    Fnv1a digest;
    VisitStateFields(game, options, [&](const auto&... fields) {
        (Fold<Pass::Cells>(digest, fields), ...);
        (Fold<Pass::Numbers>(digest, fields), ...);
        (Fold<Pass::Counters>(digest, fields), ...);
        (Fold<Pass::Times>(digest, fields), ...);
        (Fold<Pass::Flags>(digest, fields), ...);
    });
    Fold<Pass::Flags>(digest, quit != 0);
    digest.Add(fade);
    return digest.Value;
}

uint32_t DigestOfGame() {
    return DigestOfState(GameState, Options, QuitRequested, FadeLevel);
}

uint32_t DigestOfBoard() {
    Fnv1a digest;
    for (int32_t row = 0; row < BoardRows; ++row) {
        for (int32_t column = 0; column < BoardColumns; ++column) {
            for (char c : std::to_string(GameState.Board[column][row])) {
                digest.AddByte(static_cast<uint8_t>(c));
            }
        }
        digest.AddByte('\n');
    }
    return digest.Value;
}

ReplayStart CaptureStart() {
    ReplayStart start;
    start.RandomState = RandomState;
    start.Game = GameState;
    start.Options = Options;
    start.HighScores = HighScoreTable;
    start.FadeLevel = FadeLevel;
    CopyArray(start.Keys, KeyState);
    CopyArray(start.SoundBank, SoundBank);
    start.Digest = DigestOfGame();
    return start;
}

bool ApplyStart(const ReplayStart& start) {
    RandomState = start.RandomState;
    GameState = start.Game;
    Options = start.Options;
    HighScoreTable = start.HighScores;
    FadeLevel = start.FadeLevel;
    CopyArray(KeyState, start.Keys);
    CopyArray(SoundBank, start.SoundBank);
    QuitRequested = 0;  // a game only starts from the menu's Start
    return DigestOfGame() == start.Digest;
}

ReplayEnd EndOfGame(ReplayEnding how, int64_t frames, uint32_t running) {
    ReplayEnd end;
    end.How = how;
    end.Frames = frames;
    end.Score = GameState.Score;
    end.Rows = GameState.LinesCleared;
    end.Level = GameState.Level;
    end.Pieces = static_cast<int32_t>(GameState.PieceCount);
    end.Board = DigestOfBoard();
    Fnv1a digest;
    digest.Add(running);
    digest.Add(DigestOfGame());
    for (const HighScoreEntry& entry : HighScoreTable) {
        VisitEntryFields(entry, [&](const std::string& name, int32_t score) {
            digest.AddText(name);
            digest.Add(static_cast<uint32_t>(score));
        });
    }
    end.Digest = digest.Value;
    return end;
}
