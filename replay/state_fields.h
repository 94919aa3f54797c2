// Every field of the game's records, listed once: the digests of a recorded game fold in what
// these hand over, so that no field of the game's state escapes the check that a playback
// rebuilds it exactly. A record that gains a field stops this header compiling until the field
// is listed here (the checks at the end count the records' fields).
#pragma once

#include <cstddef>
#include <type_traits>
#include <utility>

#include "game/state.h"

// Calls visit once with every field of the game record and then of the options, each in the
// order its record declares them.
template <typename Game, typename Settings, typename Visit>
decltype(auto) VisitStateFields(Game& g, Settings& o, Visit&& visit) {
    return visit(g.Board, g.BoardTop, g.BoardBottom, g.BoardLeft, g.BoardRight, g.CurrentPiece,
                 g.NextPiece, g.PieceX, g.PieceY, g.PieceColumn, g.PieceRow, g.ShadowX, g.ShadowY,
                 g.ShadowColumn, g.ShadowRow, g.LandedFlush, g.RotationCount, g.Score,
                 g.LinesCleared, g.LevelLines, g.Level, g.GravityPeriod, g.ToppedOut, g.PieceCount,
                 g.CarelessLandingCount, g.GameStartTime, g.ElapsedSeconds, g.ClockMinutes,
                 g.ClockSeconds, g.FrameCount, g.FramesPerSecond, g.NextSecondTime, g.NextTickTime,
                 g.GravityCountdown, g.RightRepeat, g.LeftRepeat, g.RotateRepeat, g.SoftDropRepeat,
                 g.HardDropRepeat, g.SoftDropCount, g.GravityStepCount, g.MenuCursor,
                 g.SpeedyEarned, g.CarefulEarned, g.EfficientEarned,  // the game record
                 o.Volume, o.Bombs, o.Shadow, o.Preview);
}

// The same for one entry of the high-score table.
template <typename Entry, typename Visit>
decltype(auto) VisitEntryFields(Entry& entry, Visit&& visit) {
    return visit(entry.Name, entry.Score);
}

// --- The count that keeps the lists whole ----------------------------------------------------

namespace state_fields_detail {

// Converts to anything: a record takes as many of these in braces as it has fields, every
// element of an array counted (the braces of an array may be left out).
struct AnyValue {
    template <typename T>
    constexpr operator T() const noexcept;
};

template <typename T, size_t... I>
constexpr bool TakesValues(std::index_sequence<I...>) {
    return requires {
        T{((void)I, AnyValue{})...};
    };
}

// How many values the record's braces take: its fields, arrays counted element by element.
template <typename T, size_t N = 0>
constexpr size_t ValuesOf() {
    if constexpr (!TakesValues<T>(std::make_index_sequence<N + 1>())) {
        return N;
    } else {
        return ValuesOf<T, N + 1>();
    }
}

// The values a field takes in braces: an array's elements, one for anything else.
template <typename T>
constexpr size_t ValuesOfField() {
    if constexpr (std::is_array_v<T>) {
        return std::extent_v<T> * ValuesOfField<std::remove_extent_t<T>>();
    } else {
        return 1;
    }
}

// A visitor that only counts, in its type: the values of the fields it is handed.
struct CountValues {
    template <typename... Fields>
    auto operator()(Fields&... fields) const
        -> std::integral_constant<size_t, (ValuesOfField<Fields>() + ...)>;
};

constexpr size_t StateValuesListed = decltype(VisitStateFields(
    std::declval<GameStateRecord&>(), std::declval<OptionsRecord&>(), CountValues{}))::value;
constexpr size_t EntryValuesListed =
    decltype(VisitEntryFields(std::declval<HighScoreEntry&>(), CountValues{}))::value;

}  // namespace state_fields_detail

static_assert(state_fields_detail::StateValuesListed ==
                  state_fields_detail::ValuesOf<GameStateRecord>() +
                      state_fields_detail::ValuesOf<OptionsRecord>(),
              "a field of GameStateRecord or OptionsRecord is missing from VisitStateFields");
static_assert(state_fields_detail::EntryValuesListed ==
                  state_fields_detail::ValuesOf<HighScoreEntry>(),
              "a field of HighScoreEntry is missing from VisitEntryFields");
