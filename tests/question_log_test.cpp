// The coding of a recorded game's log and of its digests: every kind of question comes back as
// it was answered, damage is named, and every field of the game's records counts.
#include "replay/question_log.h"

#include <gtest/gtest.h>
#include <zlib.h>

#include <cstring>
#include <set>
#include <string>
#include <type_traits>
#include <vector>

#include "platform/keyboard.h"
#include "replay/snapshot.h"
#include "replay/state_fields.h"

namespace {

struct Asked {
    Question Kind;
    int32_t Channel;
    int64_t Answer;
};

// Answers worth coding for each kind: the same again, small and large changes both ways, and
// channels past the three bits of the question's byte.
std::vector<Asked> AnswersFor(const QuestionKind& kind) {
    std::vector<Asked> asked;
    const std::vector<int32_t> channels =
        kind.PerChannel ? std::vector<int32_t>{0, 6, 7, 31, -1, 1000} : std::vector<int32_t>{0};
    for (int32_t channel : channels) {
        const std::vector<int64_t> answers =
            kind.Answer == AnswerKind::Flag
                ? std::vector<int64_t>{0, 1, 1, 0, 1}
                : std::vector<int64_t>{0, 5, 5, -3, 0, kind.Largest, 0, -kind.Largest, 0, 200};
        for (int64_t answer : answers) asked.push_back({kind.Kind, channel, answer});
    }
    return asked;
}

TEST(QuestionLogTest, EveryKindOfQuestionComesBackAsItWasAnswered) {
    uint8_t start[256] = {};
    start[DIK_ADD] = 0x80;
    QuestionLogWriter writer(start);
    std::vector<Asked> asked;
    for (const QuestionKind& kind : QuestionKinds) {
        if (kind.Answer == AnswerKind::Number || kind.Answer == AnswerKind::Flag) {
            for (const Asked& one : AnswersFor(kind)) {
                writer.Answer(one.Kind, one.Channel, one.Answer);
                asked.push_back(one);
            }
        }
    }
    // Keys: none changed, then two, then all 256, then the frame's end.
    uint8_t keys[256];
    std::memcpy(keys, start, sizeof keys);
    writer.Keys(keys);
    keys[DIK_LEFT] = 0x80;
    keys[DIK_ADD] = 0;
    writer.Keys(keys);
    for (int key = 0; key < 256; ++key) keys[key] = static_cast<uint8_t>(key ^ 0x5A);
    writer.Keys(keys);
    uint32_t state = 1;
    for (int frame = 0; frame < 3; ++frame) {
        writer.Answer(Question::Clock, 0, 1000 + 20 * frame);  // each frame due a checkpoint
        writer.Frame([&] { return state += 7; });
    }
    FoldCommand(writer.Commands(), Command::Play, {2, 9});
    std::string packed, checkpoints;
    writer.Finish(packed, checkpoints);
    EXPECT_EQ(writer.FrameCount(), 3);
    EXPECT_EQ(checkpoints.size(), 3u);

    QuestionLogReader reader(packed, checkpoints, start);
    LoggedQuestion question;
    for (const Asked& one : asked) {
        ASSERT_TRUE(reader.Next(question)) << reader.Error();
        EXPECT_EQ(question.Kind, one.Kind) << KindOf(one.Kind).Name;
        EXPECT_EQ(question.Channel, one.Channel) << KindOf(one.Kind).Name;
        EXPECT_EQ(question.Answer, one.Answer) << KindOf(one.Kind).Name;
    }
    for (int poll = 0; poll < 3; ++poll) {
        ASSERT_TRUE(reader.Next(question)) << reader.Error();
        EXPECT_EQ(question.Kind, Question::Keys);
    }
    EXPECT_EQ(std::memcmp(reader.Keys(), keys, sizeof keys), 0);
    state = 1;
    for (int frame = 0; frame < 3; ++frame) {
        ASSERT_TRUE(reader.Next(question));
        EXPECT_EQ(question.Answer, 1000 + 20 * frame);
        ASSERT_TRUE(reader.Next(question));
        EXPECT_EQ(question.Kind, Question::Frame);
        EXPECT_EQ(question.Checkpoint, reader.CheckpointOf(state += 7));
    }
    EXPECT_FALSE(reader.Next(question));
    EXPECT_EQ(reader.Error(), "");
    EXPECT_EQ(reader.FrameCount(), 3);
    FoldCommand(reader.Commands(), Command::Play, {2, 9});
    EXPECT_EQ(reader.RunningDigest(), writer.RunningDigest());
}

std::string Deflated(const std::string& bytes) {
    uLongf size = compressBound(static_cast<uLong>(bytes.size()));
    std::string packed(size, '\0');
    compress(reinterpret_cast<Bytef*>(packed.data()), &size,
             reinterpret_cast<const Bytef*>(bytes.data()), static_cast<uLong>(bytes.size()));
    packed.resize(size);
    return packed;
}

// The question byte: the kind in the top four bits, bit 3 "as expected", the channel below.
char Token(Question kind, bool expected, int channel = 0) {
    return static_cast<char>(static_cast<int>(kind) << 4 | (expected ? 8 : 0) | channel);
}

TEST(QuestionLogTest, ADamagedLogIsRefusedWithWhatIsWrongWithIt) {
    const char frame = Token(Question::Frame, true);
    const std::string clockUp = {Token(Question::Clock, false), 40};  // +20 ms, zigzagged
    struct Damage {
        std::string Packed;
        std::string Checkpoints;
        const char* Reason;
    };
    const Damage damages[] = {
        {Deflated({'\xF0'}), "", "a question is of no known kind"},
        {Deflated({Token(Question::Clock, true, 3)}), "", "a question carries a channel"},
        {Deflated({Token(Question::Frame, false)}), "", "a frame is marked as an answer"},
        {Deflated({Token(Question::Volume, false, 2), 0}), "", "the same as before"},
        {Deflated({Token(Question::Clock, false), '\xFF', '\xFF', '\xFF', '\xFF', '\xFF', '\xFF',
                   '\xFF', 0x7F}),
         "", "a clock reading is out of range"},
        {Deflated({Token(Question::Playing, true, 7), 4}), "", "a channel number is out of range"},
        {Deflated({Token(Question::Keys, false), 2, 9, 1, 5, 1}), "", "out of order"},
        {Deflated({Token(Question::Keys, false), 0}), "", "lists no keys"},
        {Deflated({Token(Question::Time, false)}), "", "in the middle of one"},
        {Deflated(clockUp + frame), "", "fewer checkpoints than frames"},
        {Deflated(clockUp + frame), "ab", "more checkpoints than frames"},
        {Deflated(clockUp).substr(0, 5), "", "the questions end in the middle"},
        {Deflated(clockUp) + "x", "", "stray bytes"},
        {"not deflated at all", "", "cannot be unpacked"},
    };
    const uint8_t keys[256] = {};
    for (const Damage& damage : damages) {
        QuestionLogReader reader(damage.Packed, damage.Checkpoints, keys);
        LoggedQuestion question;
        while (reader.Next(question)) {
        }
        EXPECT_NE(reader.Error().find(damage.Reason), std::string::npos)
            << "wanted \"" << damage.Reason << "\", got \"" << reader.Error() << "\"";
    }
}

// Each field in turn changed a little, in a copy of records that start alike.
template <typename Change>
void ChangeField(GameStateRecord& game, OptionsRecord& options, size_t which, Change change) {
    size_t index = 0;
    VisitStateFields(game, options,
                     [&](auto&... fields) { ((index++ == which ? change(fields) : void()), ...); });
}

struct Nudge {
    template <typename T>
    void operator()(T& field) const {
        if constexpr (std::is_array_v<T>) {
            (*this)(field[std::extent_v<T> - 1]);  // the last cell: the whole array is covered
        } else if constexpr (std::is_same_v<T, bool> || std::is_same_v<T, uint8_t>) {
            field = !field;  // the byte-sized fields are flags
        } else {
            field = static_cast<T>(field + 1);
        }
    }
};

TEST(StateDigestTest, EveryFieldOfTheRecordsIsListedOnceAndMovesTheDigest) {
    GameStateRecord game;
    OptionsRecord options;
    std::set<const void*> places;
    size_t count = 0;
    VisitStateFields(game, options,
                     [&](auto&... fields) { ((places.insert(&fields), ++count), ...); });
    EXPECT_EQ(places.size(), count) << "a field is listed twice";

    const uint32_t before = DigestOfState(game, options, 0, OpaqueWhite);
    for (size_t which = 0; which < count; ++which) {
        GameStateRecord changedGame = game;
        OptionsRecord changedOptions = options;
        ChangeField(changedGame, changedOptions, which, Nudge{});
        EXPECT_NE(DigestOfState(changedGame, changedOptions, 0, OpaqueWhite), before)
            << "field " << which << " of the list";
    }
    EXPECT_NE(DigestOfState(game, options, 1, OpaqueWhite), before);
    EXPECT_NE(DigestOfState(game, options, 0, TransparentWhite), before);
}

}  // namespace
