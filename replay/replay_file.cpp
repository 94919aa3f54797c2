#include "replay/replay_file.h"

#include <algorithm>
#include <cstring>
#include <iterator>
#include <variant>

#include "frontend/data_file.h"
#include "game/pieces.h"
#include "platform/byte_coding.h"
#include "platform/file.h"
#include "replay/question_log.h"
#include "replay/questions.h"

namespace {

// PNG's trick: a high byte, the name, and the line ends a text-mode copy would mangle.
constexpr char Magic[8] = {'\x89', 'Z', 'R', 'P', '\r', '\n', '\x1a', '\n'};
constexpr int32_t TopLevel = 9;
// A name longer than this is no name a table could hold, even from a damaged "scores.dat".
constexpr uint64_t LongestName = MaxDataFileSize;
// More frames than a year of play at 1000 a second is damage.
constexpr uint64_t MostFrames = uint64_t{1} << 35;

class ByteWriter {
  public:
    void Varint(uint64_t value) { AppendVarint(Bytes, value); }
    void Signed(int64_t value) { AppendVarint(Bytes, ZigZag(value)); }
    void Fixed32(uint32_t value) { AppendFixed32(Bytes, value); }
    void Byte(uint8_t value) { Bytes.push_back(static_cast<char>(value)); }
    void Text(std::string_view text) {
        Varint(text.size());
        Bytes.append(text);
    }
    std::string Bytes;
};

// Reads the body; the first problem found is kept and every later read fails.
class ByteReader {
  public:
    explicit ByteReader(std::string_view bytes) : Bytes(bytes) {}

    bool Fail(const std::string& what) {
        if (Problem.empty()) Problem = what;
        return false;
    }
    bool Varint(uint64_t& value) {
        return Number(ReadVarint([this](uint8_t& byte) { return Byte(byte); }, value));
    }
    bool Signed(int64_t& value) {
        return Number(ReadSigned([this](uint8_t& byte) { return Byte(byte); }, value));
    }
    // A signed number within [low, high], named for the message.
    template <typename T>
    bool Ranged(T& out, int64_t low, int64_t high, const char* what) {
        int64_t value = 0;
        if (!Signed(value)) return false;
        if (value < low || value > high) {
            return Fail(std::string("is damaged: ") + what + " is out of range");
        }
        out = static_cast<T>(value);
        return true;
    }
    bool Unsigned32(uint32_t& out, const char* what) {
        uint64_t value = 0;
        if (!Varint(value)) return false;
        if (value > UINT32_MAX)
            return Fail(std::string("is damaged: ") + what + " is out of range");
        out = static_cast<uint32_t>(value);
        return true;
    }
    bool Fixed32(uint32_t& value) {
        if (Bytes.size() - Position < 4) return Fail("is cut short");
        value = 0;
        for (int i = 0; i < 4; ++i) {
            value |= static_cast<uint32_t>(static_cast<uint8_t>(Bytes[Position++])) << (8 * i);
        }
        return true;
    }
    bool Byte(uint8_t& value) {
        if (Position >= Bytes.size()) return Fail("is cut short");
        value = static_cast<uint8_t>(Bytes[Position++]);
        return true;
    }
    bool Text(std::string_view& text, uint64_t longest, const char* what) {
        uint64_t size = 0;
        if (!Varint(size)) return false;
        if (size > longest) return Fail(std::string("is damaged: ") + what + " is too long");
        if (size > Bytes.size() - Position) return Fail("is cut short");
        text = Bytes.substr(Position, size);
        Position += size;
        return true;
    }
    bool AtEnd() const { return Position == Bytes.size(); }

    std::string Problem;

  private:
    // Where the bytes ran out, Byte has said so.
    bool Number(VarintRead read) {
        return read == VarintRead::TooLong ? Fail("is damaged: a number is too long")
                                           : read == VarintRead::Read;
    }

    std::string_view Bytes;
    size_t Position = 0;
};

// The fields of the game record a start holds, in the file's order: what the play scene reads
// before it sets it. A field added here is a new format.
struct StartField {
    std::variant<int32_t GameStateRecord::*, int64_t GameStateRecord::*> Field;
    int64_t Low, High;
    const char* Name;  // for messages
};
const StartField StartFields[] = {
    {&GameStateRecord::CurrentPiece, 0, PieceCodeCount - 1, "the falling piece"},
    {&GameStateRecord::NextPiece, 0, PieceCodeCount - 1, "the next piece"},
    {&GameStateRecord::Level, 1, TopLevel, "the level"},
    {&GameStateRecord::MenuCursor, INT32_MIN, INT32_MAX, "the menu's place"},
    // The menus leave their Up and Down counters in these two.
    {&GameStateRecord::RotateRepeat, INT32_MIN, INT32_MAX, "a repeat counter"},
    {&GameStateRecord::SoftDropRepeat, INT32_MIN, INT32_MAX, "a repeat counter"},
    {&GameStateRecord::NextTickTime, -LargestTime, LargestTime, "the next tick's time"},
    {&GameStateRecord::NextSecondTime, -LargestTime, LargestTime, "the next second's time"},
    {&GameStateRecord::GameStartTime, -LargestTime, LargestTime, "the game's start time"},
};

void WriteStart(ByteWriter& out, const ReplayStart& start) {
    out.Varint(start.RandomState);
    for (const StartField& row : StartFields) {
        std::visit([&](auto field) { out.Signed(start.Game.*field); }, row.Field);
    }
    out.Signed(start.Options.Volume);
    out.Byte(static_cast<uint8_t>((start.Options.Bombs ? 1 : 0) | (start.Options.Shadow ? 2 : 0) |
                                  (start.Options.Preview ? 4 : 0)));
    for (const HighScoreEntry& entry : start.HighScores) {
        out.Text(entry.Name);
        out.Signed(entry.Score);
    }
    out.Varint(start.FadeLevel);
    int32_t down = 0;
    for (uint8_t key : start.Keys) down += key != 0;
    out.Varint(static_cast<uint64_t>(down));
    for (int key = 0; key < 256; ++key) {
        if (start.Keys[key] == 0) continue;
        out.Byte(static_cast<uint8_t>(key));
        out.Byte(start.Keys[key]);
    }
    for (SampleId sample : start.SoundBank) out.Signed(sample);
    out.Fixed32(start.Digest);
}

bool ReadStartOptions(ByteReader& in, OptionsRecord& options) {
    in.Ranged(options.Volume, INT32_MIN, INT32_MAX, "the volume");
    uint8_t switches = 0;
    if (in.Byte(switches) && switches > 7) return in.Fail("is damaged: the switches are unknown");
    options.Bombs = (switches & 1) != 0;
    options.Shadow = (switches & 2) != 0;
    options.Preview = (switches & 4) != 0;
    return true;
}

bool ReadKeysHeld(ByteReader& in, uint8_t (&keys)[256]) {
    uint64_t down = 0;
    if (in.Varint(down) && down > 256) return in.Fail("is damaged: too many keys are down");
    int previous = -1;
    std::fill(std::begin(keys), std::end(keys), uint8_t{0});
    for (uint64_t i = 0; i < down && in.Problem.empty(); ++i) {
        uint8_t key = 0, value = 0;
        if (!in.Byte(key) || !in.Byte(value)) break;
        if (key <= previous || value == 0) return in.Fail("is damaged: the keys held are garbled");
        previous = key;
        keys[key] = value;
    }
    return true;
}

bool ReadStart(ByteReader& in, ReplayStart& start) {
    in.Unsigned32(start.RandomState, "the generator's state");
    for (const StartField& row : StartFields) {
        std::visit([&](auto field) { in.Ranged(start.Game.*field, row.Low, row.High, row.Name); },
                   row.Field);
    }
    if (!ReadStartOptions(in, start.Options)) return false;
    for (HighScoreEntry& entry : start.HighScores) {
        std::string_view name;
        if (in.Text(name, LongestName, "a high-score name")) entry.Name = std::string(name);
        in.Ranged(entry.Score, INT32_MIN, INT32_MAX, "a high score");
    }
    in.Unsigned32(start.FadeLevel, "the fade level");
    if (!ReadKeysHeld(in, start.Keys)) return false;
    for (SampleId& sample : start.SoundBank) {
        in.Ranged(sample, INT32_MIN, INT32_MAX, "a sound's number");
    }
    in.Fixed32(start.Digest);
    return in.Problem.empty();
}

void WriteEnd(ByteWriter& out, const ReplayEnd& end) {
    out.Byte(static_cast<uint8_t>(end.How));
    out.Varint(static_cast<uint64_t>(end.Frames));
    for (int32_t figure : {end.Score, end.Rows, end.Level, end.Pieces}) out.Signed(figure);
    for (uint32_t digest : {end.Board, end.Digest}) out.Fixed32(digest);
}

bool ReadEnd(ByteReader& in, ReplayEnd& end) {
    uint8_t how = 0;
    if (in.Byte(how) && how > static_cast<uint8_t>(ReplayEnding::WindowClosed)) {
        return in.Fail("is damaged: it does not say how the game ended");
    }
    end.How = static_cast<ReplayEnding>(how);
    uint64_t frames = 0;
    if (in.Varint(frames) && frames > MostFrames) {
        return in.Fail("is damaged: the frame count is out of range");
    }
    end.Frames = static_cast<int64_t>(frames);
    in.Ranged(end.Score, INT32_MIN, INT32_MAX, "the final score");
    in.Ranged(end.Rows, 0, INT32_MAX, "the final row count");
    in.Ranged(end.Level, 1, TopLevel, "the final level");
    in.Ranged(end.Pieces, 0, INT32_MAX, "the final piece count");
    in.Fixed32(end.Board);
    in.Fixed32(end.Digest);
    return in.Problem.empty();
}

// The whole question log read through once: every question well formed and the frames as
// many as the end says.
bool CheckQuestions(const Replay& replay, std::string& reason) {
    QuestionLogReader log(replay.Questions, replay.Checkpoints, replay.Start.Keys);
    LoggedQuestion question;
    while (log.Next(question)) {
    }
    if (!log.Error().empty()) {
        reason = "is damaged: " + log.Error();
        return false;
    }
    if (log.FrameCount() != replay.End.Frames) {
        reason = "is damaged: its log holds " + std::to_string(log.FrameCount()) +
                 " frames, not the " + std::to_string(replay.End.Frames) + " it says";
        return false;
    }
    return true;
}

}  // namespace

std::string WriteReplay(const Replay& replay) {
    ByteWriter body;
    WriteStart(body, replay.Start);
    WriteEnd(body, replay.End);
    body.Text(replay.Checkpoints);
    body.Text(replay.Questions);

    ByteWriter file;
    file.Bytes.assign(Magic, sizeof Magic);
    file.Varint(ReplayFormat);
    file.Varint(body.Bytes.size());
    file.Fixed32(Crc32(body.Bytes));
    file.Bytes += body.Bytes;
    return file.Bytes;
}

bool ReadReplay(std::string_view bytes, Replay& replay, std::string& reason) {
    replay = Replay{};
    if (bytes.size() < sizeof Magic || std::memcmp(bytes.data(), Magic, sizeof Magic) != 0) {
        reason = "is not a Zantorvix replay";
        return false;
    }
    ByteReader head(bytes.substr(sizeof Magic));
    uint64_t format = 0, size = 0;
    uint32_t crc = 0;
    if (head.Varint(format) && format != ReplayFormat) {
        reason = format > ReplayFormat
                     ? "was recorded by a newer version of the game (replay format " +
                           std::to_string(format) + "; this one plays format " +
                           std::to_string(ReplayFormat) + ")"
                     : "is damaged: its format number is 0";
        return false;
    }
    head.Varint(size);
    head.Fixed32(crc);
    if (!head.Problem.empty()) {
        reason = head.Problem;
        return false;
    }
    // Where the body starts: after the magic, the format, the size and the checksum.
    ByteWriter measure;
    measure.Varint(format);
    measure.Varint(size);
    const size_t bodyStart = sizeof Magic + measure.Bytes.size() + 4;
    const std::string_view body = bytes.substr(std::min(bodyStart, bytes.size()));
    if (body.size() < size) {
        reason = "is cut short: it holds " + std::to_string(body.size()) + " of its " +
                 std::to_string(size) + " bytes";
        return false;
    }
    if (body.size() > size) {
        reason = "is damaged: it goes on past its end";
        return false;
    }
    if (Crc32(body) != crc) {
        reason = "is damaged: its checksum does not match";
        return false;
    }

    ByteReader in(body);
    std::string_view checkpoints, questions;
    if (ReadStart(in, replay.Start) && ReadEnd(in, replay.End) &&
        in.Text(checkpoints, body.size(), "the checkpoints") &&
        in.Text(questions, body.size(), "the question log") && !in.AtEnd()) {
        in.Fail("is damaged: it goes on past its end");
    }
    if (!in.Problem.empty()) {
        reason = in.Problem;
        return false;
    }
    replay.Checkpoints = std::string(checkpoints);
    replay.Questions = std::string(questions);
    return CheckQuestions(replay, reason);
}

bool LoadReplay(const char* file, Replay& replay, std::string& reason) {
    std::string bytes, error;
    bool longer = false;
    if (ReadWholeFile(file, bytes, error, LargestReplayFile, &longer) != FileRead::Read) {
        reason = "cannot be read: " + error;
        return false;
    }
    if (longer) {
        reason = "is too large to be a replay (over " + std::to_string(LargestReplayFile >> 20) +
                 " MiB)";
        return false;
    }
    return ReadReplay(bytes, replay, reason);
}
