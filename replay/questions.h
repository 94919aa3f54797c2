// The questions a game asks the machine while it runs (the keys, the clocks, whether a channel
// is playing, ...) and the commands it gives that a playback must repeat (the sounds and the
// sleeps). A recording holds the answers in the order the game asked for them; given the same
// answers, the game does the same things.
//
// The kinds of question are one table: the log's writer and reader and both platforms read it,
// so that a new question is one row here (with its override in RecordingPlatform and in
// PlaybackPlatform, a new format number and a line in the README's format table).
#pragma once

#include <cstdint>
#include <initializer_list>
#include <iterator>

#include "platform/byte_coding.h"

// The kind's number is the top four bits of its byte in the log: 1 to 15.
enum class Question : uint8_t {
    Frame = 1,  // not a question: the end of a presented frame
    Keys,
    Clock,
    Time,
    Playing,
    Volume,
    MasterVolume,
    WindowClosed,
    FocusLost,
};

enum class AnswerKind : uint8_t {
    None,    // the frame's end: nothing is answered
    Keys,    // the key state: the keys that changed, each with its new value
    Number,  // a number: the change from the last answer, as a signed varint
    Flag,    // yes or no: a changed answer simply turns over
};

// Clock and calendar answers further than this from 0 are refused as damage: the game adds to
// them, and no machine reports such times.
inline constexpr int64_t LargestTime = int64_t{1} << 48;
// Volumes likewise.
inline constexpr int64_t LargestVolume = int64_t{1} << 30;

struct QuestionKind {
    Question Kind;
    const char* Name;  // for messages: "the keys", "the clock", ...
    bool PerChannel;   // asked of one sound channel, whose number the log holds
    AnswerKind Answer;
    int64_t Largest;      // a Number answer further than this from 0 is damage
    const char* Reading;  // a Number answer, for messages
};

inline constexpr QuestionKind QuestionKinds[] = {
    {Question::Frame, "the end of a frame", false, AnswerKind::None, 0, ""},
    {Question::Keys, "the keys", false, AnswerKind::Keys, 0, ""},
    {Question::Clock, "the clock", false, AnswerKind::Number, LargestTime, "a clock reading"},
    {Question::Time, "the calendar time", false, AnswerKind::Number, LargestTime,
     "a calendar reading"},
    {Question::Playing, "whether a channel plays", true, AnswerKind::Flag, 0, ""},
    {Question::Volume, "a channel's volume", true, AnswerKind::Number, LargestVolume, "a volume"},
    {Question::MasterVolume, "the master volume", false, AnswerKind::Number, LargestVolume,
     "a volume"},
    {Question::WindowClosed, "whether the window was closed", false, AnswerKind::Flag, 0, ""},
    {Question::FocusLost, "whether the window lost the focus", false, AnswerKind::Flag, 0, ""},
};
inline constexpr int QuestionCount = static_cast<int>(std::size(QuestionKinds));

constexpr bool InTableOrder() {
    for (int i = 0; i < QuestionCount; ++i) {
        if (static_cast<int>(QuestionKinds[i].Kind) != i + 1) return false;
    }
    return QuestionCount < 16;
}
static_assert(InTableOrder(),
              "a question's row stands at its number, and the number fits in four bits");

inline const QuestionKind& KindOf(Question question) {
    return QuestionKinds[static_cast<int>(question) - 1];
}

// The commands a game gives that a playback must repeat exactly, folded into a digest in the
// order given, each as its letter and then its numbers: the sounds and the sleeps.
enum class Command : char {
    Play = 'P',          // channel, sample
    Stop = 'S',          // channel
    Hold = 'H',          // channel
    Resume = 'R',        // channel
    Volume = 'V',        // channel, volume
    MasterVolume = 'M',  // volume
    Sleep = 'Z',         // milliseconds
    KeyMode = 'K',       // what the keys are for (0 the menus, 1 play, 2 a name, 3 the pause)
};

inline void FoldCommand(Fnv1a& digest, Command command, std::initializer_list<int32_t> numbers) {
    digest.Add(static_cast<uint8_t>(command), 1);
    for (int32_t number : numbers) digest.Add(static_cast<uint32_t>(number));
}
