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

bool Within(int64_t value, int64_t largest) {
    return value >= -largest && value <= largest;
}

}  // namespace

bool Expectations::TakeCheckpoint() {
    const int64_t clock = Last(Question::Clock, 0);
    if (CheckpointTaken && clock - CheckpointClock < CheckpointSpacing &&
        clock - CheckpointClock > -CheckpointSpacing) {
        return false;
    }
    CheckpointTaken = true;
    CheckpointClock = clock;
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

void QuestionLogWriter::Token(Question question, bool expected, int32_t channel) {
    const bool perChannel = KindOf(question).PerChannel;
    const bool escaped = perChannel && (channel < 0 || channel >= ChannelEscape);
    const int32_t low = perChannel ? (escaped ? ChannelEscape : channel) : 0;
    Pending.push_back(static_cast<char>((static_cast<uint8_t>(question) << 4) |
                                        (expected ? ExpectedBit : 0) | low));
    if (escaped) AppendVarint(Pending, ZigZag(channel));
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
    AppendVarint(Pending, static_cast<uint64_t>(changes));
    for (int key = 0; key < 256; ++key) {
        if (state[key] == Expected.Keys[key]) continue;
        Pending.push_back(static_cast<char>(key));
        Pending.push_back(static_cast<char>(state[key]));
        Expected.Keys[key] = state[key];
    }
}

void QuestionLogWriter::Answer(Question question, int32_t channel, int64_t answer) {
    int64_t& last = Expected.Last(question, channel);
    Token(question, answer == last, channel);
    if (answer != last && KindOf(question).Answer == AnswerKind::Number) {
        AppendVarint(Pending, ZigZag(answer - last));
    }
    last = answer;
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

bool QuestionLogReader::Fail(const std::string& what) {
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

// Where the bytes ran out, Byte has said why.
bool QuestionLogReader::Number(VarintRead read) {
    return read == VarintRead::TooLong ? Fail("a number in the questions is too long")
                                       : read == VarintRead::Read;
}

bool QuestionLogReader::Varint(uint64_t& value) {
    return Number(ReadVarint([this](uint8_t& byte) { return Byte(byte); }, value));
}

bool QuestionLogReader::Signed(int64_t& value) {
    return Number(ReadSigned([this](uint8_t& byte) { return Byte(byte); }, value));
}

// The log is over: it ends cleanly only with every checkpoint used.
bool QuestionLogReader::CleanEnd() {
    if (!Problem.empty()) return false;
    if (NextCheckpoint != CheckpointBytes.size()) {
        return Fail("there are more checkpoints than frames");
    }
    return false;
}

// The question's byte, and the channel's own number when it follows.
bool QuestionLogReader::ReadToken(LoggedQuestion& question, bool& expected) {
    const uint8_t byte = Buffer[BufferPosition++];
    const int kind = byte >> 4;
    if (kind < 1 || kind > QuestionCount) return Fail("a question is of no known kind");
    question = LoggedQuestion{};
    question.Kind = static_cast<Question>(kind);
    expected = (byte & ExpectedBit) != 0;
    const int32_t low = byte & 7;
    if (!KindOf(question.Kind).PerChannel) {
        return low == 0 || Fail("a question carries a channel it has no use for");
    }
    question.Channel = low;
    if (low != ChannelEscape) return true;
    int64_t channel = 0;
    if (!Signed(channel)) return false;
    if (channel < INT32_MIN || channel > INT32_MAX || (channel >= 0 && channel < ChannelEscape)) {
        return Fail("a channel number is out of range");
    }
    question.Channel = static_cast<int32_t>(channel);
    return true;
}

bool QuestionLogReader::ReadFrame(LoggedQuestion& question, bool expected) {
    if (!expected) return Fail("a frame is marked as an answer");
    ++Frames;
    if (Expected.TakeCheckpoint()) {
        if (NextCheckpoint >= CheckpointBytes.size()) {
            return Fail("there are fewer checkpoints than frames need");
        }
        question.Checkpoint = static_cast<uint8_t>(CheckpointBytes[NextCheckpoint++]);
    }
    return true;
}

bool QuestionLogReader::ReadKeyChanges() {
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
    return true;
}

bool QuestionLogReader::ReadNumber(LoggedQuestion& question, bool expected) {
    const QuestionKind& kind = KindOf(question.Kind);
    int64_t& last = Expected.Last(question.Kind, question.Channel);
    int64_t change = 0;
    if (!expected) {
        if (!Signed(change)) return false;
        if (change == 0) return Fail("a changed answer is the same as before");
    }
    if (!Within(change, kind.Largest) || !Within(last + change, kind.Largest)) {
        return Fail(std::string(kind.Reading) + " is out of range");
    }
    last += change;
    question.Answer = last;
    return true;
}

bool QuestionLogReader::ReadFlag(LoggedQuestion& question, bool expected) {
    int64_t& last = Expected.Last(question.Kind, question.Channel);
    if (!expected) last = last == 0 ? 1 : 0;
    question.Answer = last;
    return true;
}

bool QuestionLogReader::Next(LoggedQuestion& question) {
    if (!Problem.empty()) return false;
    if (BufferPosition == BufferFill && !Refill()) return CleanEnd();
    bool expected = false;
    if (!ReadToken(question, expected)) return false;
    switch (KindOf(question.Kind).Answer) {
        case AnswerKind::None:
            return ReadFrame(question, expected);
        case AnswerKind::Keys:
            return expected || ReadKeyChanges();
        case AnswerKind::Number:
            return ReadNumber(question, expected);
        case AnswerKind::Flag:
            return ReadFlag(question, expected);
    }
    return Fail("a question is of no known kind");
}

uint8_t QuestionLogReader::CheckpointOf(uint32_t state) {
    Running.Add(state);
    return static_cast<uint8_t>(Running.Value & 0xFF);
}
