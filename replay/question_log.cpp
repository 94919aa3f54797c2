#include "replay/question_log.h"

#include <cstring>

namespace {

// A question byte: the kind in the top four bits, "answered as expected" in bit 3, the channel
// in the low three bits (7: the channel follows as a number of its own).
constexpr uint8_t ExpectedBit = 0x08;
constexpr int32_t ChannelEscape = 7;
// Questions are deflated in runs of this many bytes, so that writing one costs a copy.
constexpr size_t DeflateRun = 1 << 16;
constexpr size_t InflateBuffer = 1 << 16;

bool HasChannel(Question question) {
    return question == Question::Playing || question == Question::Volume;
}

bool WithinTime(int64_t value) {
    return value >= -LargestTime && value <= LargestTime;
}

bool WithinVolume(int64_t value) {
    return value >= -LargestVolume && value <= LargestVolume;
}

}  // namespace

const char* QuestionName(Question question) {
    switch (question) {
        case Question::Frame:
            return "the end of a frame";
        case Question::Keys:
            return "the keys";
        case Question::Clock:
            return "the clock";
        case Question::Time:
            return "the calendar time";
        case Question::Playing:
            return "whether a channel plays";
        case Question::Volume:
            return "a channel's volume";
        case Question::MasterVolume:
            return "the master volume";
        case Question::WindowClosed:
            return "whether the window was closed";
        case Question::FocusLost:
            return "whether the window lost the focus";
    }
    return "an unknown question";
}

bool Expectations::TakeCheckpoint() {
    if (CheckpointTaken && Clock - CheckpointClock < CheckpointSpacing &&
        Clock - CheckpointClock > -CheckpointSpacing) {
        return false;
    }
    CheckpointTaken = true;
    CheckpointClock = Clock;
    return true;
}

// --- Writing -------------------------------------------------------------------------------

QuestionLogWriter::QuestionLogWriter(const uint8_t keys[256]) {
    std::memcpy(Expected.Keys, keys, sizeof Expected.Keys);
    // Level 6 packs a 10-minute game as small as level 9 does, at a third of the time.
    deflateInit(&Stream, 6);
    Pending.reserve(DeflateRun + 1024);
}

QuestionLogWriter::~QuestionLogWriter() {
    deflateEnd(&Stream);
}

void QuestionLogWriter::Varint(uint64_t value) {
    AppendVarint(Pending, value);
}

void QuestionLogWriter::Signed(int64_t value) {
    Varint(ZigZag(value));
}

void QuestionLogWriter::Token(Question question, bool expected, int32_t channel) {
    const bool escaped = HasChannel(question) && (channel < 0 || channel >= ChannelEscape);
    const int32_t low = HasChannel(question) ? (escaped ? ChannelEscape : channel) : 0;
    Pending.push_back(static_cast<char>((static_cast<uint8_t>(question) << 4) |
                                        (expected ? ExpectedBit : 0) | low));
    if (escaped) Signed(channel);
    if (Pending.size() >= DeflateRun) Deflate(Z_NO_FLUSH);
}

void QuestionLogWriter::Deflate(int flush) {
    Stream.next_in = reinterpret_cast<Bytef*>(Pending.data());
    Stream.avail_in = static_cast<uInt>(Pending.size());
    uint8_t out[1 << 14];
    int result;
    do {
        Stream.next_out = out;
        Stream.avail_out = sizeof out;
        result = deflate(&Stream, flush);
        Packed.append(reinterpret_cast<const char*>(out), sizeof out - Stream.avail_out);
    } while (Stream.avail_in > 0 || (flush == Z_FINISH && result == Z_OK) || Stream.avail_out == 0);
    Pending.clear();
}

void QuestionLogWriter::Keys(const uint8_t state[256]) {
    if (std::memcmp(state, Expected.Keys, 256) == 0) {
        Token(Question::Keys, true, 0);
        return;
    }
    int32_t changes = 0;
    for (int key = 0; key < 256; ++key) changes += state[key] != Expected.Keys[key];
    Token(Question::Keys, false, 0);
    Varint(static_cast<uint64_t>(changes));
    for (int key = 0; key < 256; ++key) {
        if (state[key] == Expected.Keys[key]) continue;
        Pending.push_back(static_cast<char>(key));
        Pending.push_back(static_cast<char>(state[key]));
        Expected.Keys[key] = state[key];
    }
}

void QuestionLogWriter::Clock(int64_t answer) {
    Token(Question::Clock, answer == Expected.Clock, 0);
    if (answer != Expected.Clock) Signed(answer - Expected.Clock);
    Expected.Clock = answer;
}

void QuestionLogWriter::Time(int64_t answer) {
    Token(Question::Time, answer == Expected.Time, 0);
    if (answer != Expected.Time) Signed(answer - Expected.Time);
    Expected.Time = answer;
}

void QuestionLogWriter::Playing(int32_t channel, bool answer) {
    bool& expected = Expected.Playing[channel & 31];
    Token(Question::Playing, answer == expected, channel);
    expected = answer;
}

void QuestionLogWriter::Volume(int32_t channel, int32_t answer) {
    int64_t& expected = Expected.Volumes[channel & 31];
    Token(Question::Volume, answer == expected, channel);
    if (answer != expected) Signed(answer - expected);
    expected = answer;
}

void QuestionLogWriter::MasterVolume(int32_t answer) {
    Token(Question::MasterVolume, answer == Expected.MasterVolume, 0);
    if (answer != Expected.MasterVolume) Signed(answer - Expected.MasterVolume);
    Expected.MasterVolume = answer;
}

void QuestionLogWriter::WindowClosed(bool answer) {
    Token(Question::WindowClosed, answer == Expected.WindowClosed, 0);
    Expected.WindowClosed = answer;
}

void QuestionLogWriter::FocusLost(bool answer) {
    Token(Question::FocusLost, answer == Expected.FocusLost, 0);
    Expected.FocusLost = answer;
}

void QuestionLogWriter::Checkpoint(uint32_t state) {
    Running.Add(state);
    CheckpointBytes.push_back(static_cast<char>(Running.Value & 0xFF));
}

void QuestionLogWriter::Finish(std::string& packed, std::string& checkpoints) {
    if (!Finished) {
        Deflate(Z_FINISH);
        Finished = true;
    }
    packed = Packed;
    checkpoints = CheckpointBytes;
}

// --- Reading -------------------------------------------------------------------------------

QuestionLogReader::QuestionLogReader(std::string_view packed, std::string_view checkpoints,
                                     const uint8_t keys[256])
    : CheckpointBytes(checkpoints), Buffer(new uint8_t[InflateBuffer]) {
    std::memcpy(Expected.Keys, keys, sizeof Expected.Keys);
    Stream.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(packed.data()));
    Stream.avail_in = static_cast<uInt>(packed.size());
    StreamOpen = inflateInit(&Stream) == Z_OK;
    if (!StreamOpen) Problem = "the questions cannot be unpacked";
}

QuestionLogReader::~QuestionLogReader() {
    if (StreamOpen) inflateEnd(&Stream);
}

bool QuestionLogReader::Fail(const char* what) {
    if (Problem.empty()) Problem = what;
    return false;
}

bool QuestionLogReader::Refill() {
    for (;;) {
        if (!StreamOpen || StreamEnded) return false;
        Stream.next_out = Buffer.get();
        Stream.avail_out = InflateBuffer;
        const int result = inflate(&Stream, Z_NO_FLUSH);
        BufferFill = InflateBuffer - Stream.avail_out;
        BufferPosition = 0;
        if (result == Z_STREAM_END) {
            StreamEnded = true;
            if (Stream.avail_in != 0) return Fail("the questions are followed by stray bytes");
            return BufferFill > 0;
        }
        // No progress possible: the packed questions stop short.
        if (result == Z_BUF_ERROR) return Fail("the questions end in the middle");
        if (result != Z_OK) return Fail("the questions cannot be unpacked");
        if (BufferFill > 0) return true;
        if (Stream.avail_in == 0) return Fail("the questions end in the middle");
    }
}

bool QuestionLogReader::Byte(uint8_t& byte) {
    if (BufferPosition == BufferFill && !Refill()) {
        return Problem.empty() ? Fail("the questions end in the middle of one") : false;
    }
    byte = Buffer[BufferPosition++];
    return true;
}

bool QuestionLogReader::Varint(uint64_t& value) {
    switch (ReadVarint([this](uint8_t& byte) { return Byte(byte); }, value)) {
        case VarintRead::Read:
            return true;
        case VarintRead::CutShort:
            return false;  // Byte has said why
        case VarintRead::TooLong:
            break;
    }
    return Fail("a number in the questions is too long");
}

bool QuestionLogReader::Signed(int64_t& value) {
    uint64_t raw = 0;
    if (!Varint(raw)) return false;
    value = UnZigZag(raw);
    return true;
}

bool QuestionLogReader::Next(LoggedQuestion& question) {
    if (!Problem.empty()) return false;
    if (BufferPosition == BufferFill && !Refill()) {
        if (!Problem.empty()) return false;
        if (NextCheckpoint != CheckpointBytes.size()) {
            return Fail("there are more checkpoints than frames");
        }
        return false;  // the clean end
    }
    const uint8_t byte = Buffer[BufferPosition++];
    const int kind = byte >> 4;
    if (kind < static_cast<int>(Question::Frame) || kind > static_cast<int>(Question::FocusLost)) {
        return Fail("a question is of no known kind");
    }
    question = LoggedQuestion{};
    question.Kind = static_cast<Question>(kind);
    const bool expected = (byte & ExpectedBit) != 0;
    const int32_t low = byte & 7;
    if (HasChannel(question.Kind)) {
        question.Channel = low;
        if (low == ChannelEscape) {
            int64_t channel = 0;
            if (!Signed(channel)) return false;
            if (channel < INT32_MIN || channel > INT32_MAX || (channel >= 0 && channel < 7)) {
                return Fail("a channel number is out of range");
            }
            question.Channel = static_cast<int32_t>(channel);
        }
    } else if (low != 0) {
        return Fail("a question carries a channel it has no use for");
    }

    int64_t delta = 0;
    const bool needsNumber =
        !expected && question.Kind != Question::Frame && question.Kind != Question::Keys &&
        question.Kind != Question::Playing && question.Kind != Question::WindowClosed &&
        question.Kind != Question::FocusLost;
    if (needsNumber) {
        if (!Signed(delta)) return false;
        if (delta == 0) return Fail("a changed answer is the same as before");
    }
    switch (question.Kind) {
        case Question::Frame: {
            if (!expected) return Fail("a frame is marked as an answer");
            ++Frames;
            if (Expected.TakeCheckpoint()) {
                if (NextCheckpoint >= CheckpointBytes.size()) {
                    return Fail("there are fewer checkpoints than frames need");
                }
                question.Checkpoint = static_cast<uint8_t>(CheckpointBytes[NextCheckpoint++]);
            }
            break;
        }
        case Question::Keys: {
            if (!expected) {
                uint64_t changes = 0;
                if (!Varint(changes)) return false;
                if (changes == 0 || changes > 256) return Fail("a key change lists no keys");
                int previous = -1;
                for (uint64_t i = 0; i < changes; ++i) {
                    uint8_t key = 0, value = 0;
                    if (!Byte(key) || !Byte(value)) return false;
                    if (key <= previous) return Fail("the keys of a change are out of order");
                    previous = key;
                    Expected.Keys[key] = value;
                }
            }
            break;
        }
        case Question::Clock:
            if (!WithinTime(delta) || !WithinTime(Expected.Clock + delta)) {
                return Fail("a clock reading is out of range");
            }
            Expected.Clock += delta;
            question.Answer = Expected.Clock;
            break;
        case Question::Time:
            if (!WithinTime(delta) || !WithinTime(Expected.Time + delta)) {
                return Fail("a calendar reading is out of range");
            }
            Expected.Time += delta;
            question.Answer = Expected.Time;
            break;
        case Question::Playing: {
            bool& playing = Expected.Playing[question.Channel & 31];
            if (!expected) playing = !playing;
            question.Answer = playing;
            break;
        }
        case Question::Volume: {
            int64_t& volume = Expected.Volumes[question.Channel & 31];
            if (!WithinVolume(delta) || !WithinVolume(volume + delta)) {
                return Fail("a volume is out of range");
            }
            volume += delta;
            question.Answer = volume;
            break;
        }
        case Question::MasterVolume:
            if (!WithinVolume(delta) || !WithinVolume(Expected.MasterVolume + delta)) {
                return Fail("a volume is out of range");
            }
            Expected.MasterVolume += delta;
            question.Answer = Expected.MasterVolume;
            break;
        case Question::WindowClosed:
            if (!expected) Expected.WindowClosed = !Expected.WindowClosed;
            question.Answer = Expected.WindowClosed;
            break;
        case Question::FocusLost:
            if (!expected) Expected.FocusLost = !Expected.FocusLost;
            question.Answer = Expected.FocusLost;
            break;
    }
    return true;
}

uint8_t QuestionLogReader::CheckpointOf(uint32_t state) {
    Running.Add(state);
    return static_cast<uint8_t>(Running.Value & 0xFF);
}
