// The log of a recorded game: every question the game asked the machine (replay/questions.h),
// each with the answer it got, in the order asked. Given the same answers, the game does the
// same things, so a log played back answers the game as the machine once did.
//
// The log is packed as it is written: one byte per question, the answer left out where it is
// the one the log expects (the last answer to the same question), then deflated. Frames are
// marked, and now and then a frame carries a one-byte checkpoint of the game's state, so that a
// playback that goes its own way is caught where it starts to.
#pragma once

#include <zlib.h>

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "platform/byte_coding.h"
#include "replay/questions.h"

// A checkpoint is due at the end of the first frame and then at the end of every frame by
// which the recorded clock has moved this many milliseconds since the last one: about one a
// frame at 60 frames a second, and never more than the game time asks for at higher rates.
inline constexpr int64_t CheckpointSpacing = 15;

// The answers the log expects next, kept alike on both sides: the last answer to each
// question, per channel for the questions asked of one.
struct Expectations {
    uint8_t Keys[256] = {};
    int64_t Answers[QuestionCount][32] = {};
    // Checkpoints.
    bool CheckpointTaken = false;
    int64_t CheckpointClock = 0;

    int64_t& Last(Question question, int32_t channel) {
        return Answers[static_cast<int>(question) - 1]
                      [KindOf(question).PerChannel ? channel & 31 : 0];
    }
    // True when the frame that ends now carries a checkpoint; moves the mark.
    bool TakeCheckpoint();
};

class QuestionLogWriter {
  public:
    // keys: the key state the game holds when the log starts.
    explicit QuestionLogWriter(const uint8_t keys[256]);
    ~QuestionLogWriter();
    QuestionLogWriter(const QuestionLogWriter&) = delete;
    QuestionLogWriter& operator=(const QuestionLogWriter&) = delete;

    void Keys(const uint8_t state[256]);
    // A Number or Flag question (channel 0 for those not asked of a channel); a flag is 0 or 1.
    void Answer(Question question, int32_t channel, int64_t answer);
    // The end of a presented frame. state is asked for only when a checkpoint is due and
    // returns the digest of the game's state then.
    template <typename StateDigest>
    void Frame(StateDigest state) {
        Token(Question::Frame, true, 0);
        ++Frames;
        if (Expected.TakeCheckpoint()) {
            Checkpoint(state());
        }
    }
    // Folds a command the game gave (a sound, a sleep) into the running digest.
    Fnv1a& Commands() { return Running; }

    // Ends the log. Packed holds the deflated questions, Checkpoints one byte per checkpoint.
    void Finish(std::string& packed, std::string& checkpoints);
    int64_t FrameCount() const { return Frames; }
    // The running digest: every command and every checkpoint's state so far.
    uint32_t RunningDigest() const { return Running.Value; }

  private:
    void Token(Question question, bool expected, int32_t channel);
    void Checkpoint(uint32_t state);
    void Deflate(int flush);

    Expectations Expected;
    Fnv1a Running;
    std::string Pending;  // questions not yet deflated
    std::string Packed;
    std::string CheckpointBytes;
    z_stream Stream{};
    bool Finished = false;
    int64_t Frames = 0;
};

// One question as the log holds it.
struct LoggedQuestion {
    Question Kind = Question::Frame;
    int32_t Channel = 0;      // for the questions asked of a channel
    int64_t Answer = 0;       // a Number answer; 0 or 1 for a Flag
    int32_t Checkpoint = -1;  // for Frame: the checkpoint byte, or -1 when none is due
};

class QuestionLogReader {
  public:
    QuestionLogReader(std::string_view packed, std::string_view checkpoints,
                      const uint8_t keys[256]);
    ~QuestionLogReader();
    QuestionLogReader(const QuestionLogReader&) = delete;
    QuestionLogReader& operator=(const QuestionLogReader&) = delete;

    // The next question. False at the end of the log, with Error empty when the log ended
    // cleanly and naming the damage otherwise.
    bool Next(LoggedQuestion& question);
    // The key state after the last Keys question.
    const uint8_t* Keys() const { return Expected.Keys; }
    const std::string& Error() const { return Problem; }
    int64_t FrameCount() const { return Frames; }
    // Folds a command into the running digest, as the writer did.
    Fnv1a& Commands() { return Running; }
    // Folds the state at a checkpoint in and returns the byte the log should hold for it.
    uint8_t CheckpointOf(uint32_t state);
    uint32_t RunningDigest() const { return Running.Value; }

  private:
    bool Fail(const std::string& what);
    bool Byte(uint8_t& byte);
    bool Number(VarintRead read);
    bool Varint(uint64_t& value);
    bool Signed(int64_t& value);
    bool Refill();
    bool CleanEnd();
    bool ReadToken(LoggedQuestion& question, bool& expected);
    bool ReadFrame(LoggedQuestion& question, bool expected);
    bool ReadKeyChanges();
    bool ReadNumber(LoggedQuestion& question, bool expected);
    bool ReadFlag(LoggedQuestion& question, bool expected);

    Expectations Expected;
    Fnv1a Running;
    std::string_view CheckpointBytes;
    size_t NextCheckpoint = 0;
    z_stream Stream{};
    bool StreamOpen = false;
    bool StreamEnded = false;
    std::unique_ptr<uint8_t[]> Buffer;
    size_t BufferFill = 0;
    size_t BufferPosition = 0;
    std::string Problem;
    int64_t Frames = 0;
};
