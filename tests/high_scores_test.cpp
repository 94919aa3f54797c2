// "scores.dat": its exact text, its reader on whole, partial and damaged files, and saves that
// fail without losing the old file.
#include "frontend/high_scores.h"

#include <gtest/gtest.h>
#include <sys/resource.h>

#include <csignal>
#include <random>

#include "frontend/score_screen.h"
#include "game/state.h"
#include "support/game_fixture.h"

namespace {

using HighScoreFileTest = GameTest;

HighScoreTableRecord Table(std::initializer_list<HighScoreEntry> entries) {
    HighScoreTableRecord table;
    size_t i = 0;
    for (const HighScoreEntry& entry : entries) table[i++] = entry;
    return table;
}

void ExpectTable(const HighScoreTableRecord& actual, const HighScoreTableRecord& expected) {
    for (size_t i = 0; i < expected.size(); ++i) {
        EXPECT_EQ(actual[i].Name, expected[i].Name) << "entry " << i;
        EXPECT_EQ(actual[i].Score, expected[i].Score) << "entry " << i;
    }
}

TEST(HighScoreTextTest, WritesOneItemALineWithoutAFinalLineEnd) {
    EXPECT_EQ(WriteHighScoreTable(HighScoreTableRecord{}),
              "DEFAULT\n0\nDEFAULT\n0\nDEFAULT\n0\nDEFAULT\n0\nDEFAULT\n0");
    EXPECT_EQ(WriteHighScoreTable(Table({{"AB", 500}, {"C", -7}, {"D", 2147483647}})),
              "AB\n500\nC\n-7\nD\n2147483647\nDEFAULT\n0\nDEFAULT\n0");
    // Blanks travel as vertical tabs and an empty name as a lone form feed.
    EXPECT_EQ(WriteHighScoreTable(Table({{"MR X", 9}, {"", 8}, {" ", 7}})),
              "MR\vX\n9\n\f\n8\n\v\n7\nDEFAULT\n0\nDEFAULT\n0");
}

TEST(HighScoreTextTest, ReadsTenItemsAndStopsAtTheFirstMissingOrDamagedOne) {
    struct Case {
        std::string Text;
        HighScoreTableRecord Expected;
        int32_t Count;
        bool Damaged;
    };
    const HighScoreTableRecord defaults;
    const Case cases[] = {
        {"AB 500", Table({{"AB", 500}}), 2, false},
        {"AB\r\n500\r\nCD\r\n400\r\n", Table({{"AB", 500}, {"CD", 400}}), 4, false},
        {"\t A  1\n\nB 2 C", Table({{"A", 1}, {"B", 2}, {"C", 0}}), 5, false},
        {"", defaults, 0, false},
        {"A 1 B x C 3", Table({{"A", 1}, {"B", 0}}), 3, true},
        {"A 99999999999 B 2", Table({{"A", 0}}), 1, true},
        {"A 2147483648", Table({{"A", 0}}), 1, true},
        {"A -2147483648", Table({{"A", -2147483648}}), 2, false},
        {"A 12.5", Table({{"A", 0}}), 1, true},
        {"A 5 B 4 C 3 D 2 E 1 F 0 G", Table({{"A", 5}, {"B", 4}, {"C", 3}, {"D", 2}, {"E", 1}}), 10,
         false},
        {"MR\vX 9 \f 8 \v\v 7 \fA 6", Table({{"MR X", 9}, {"", 8}, {"  ", 7}, {"\fA", 6}}), 8,
         false},
        {std::string("\0\x01\xff 3", 5), Table({{std::string("\0\x01\xff", 3), 3}}), 2, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE("file: \"" + c.Text + "\"");
        HighScoreTableRecord table;
        const ItemsRead read = ReadHighScoreTable(c.Text, table);
        ExpectTable(table, c.Expected);
        EXPECT_EQ(read.Count, c.Count);
        EXPECT_EQ(read.Damaged, c.Damaged);
    }
}

TEST(HighScoreTextTest, AnyBytesReadWithoutHarmAndWhatWasReadIsWrittenBackTheSame) {
    std::mt19937 random(20240611);
    const std::string alphabet = std::string("AB1-+ \t\n\r\v\f\0\xff", 13);
    for (int round = 0; round < 3000; ++round) {
        std::string text(random() % 120, '\0');
        for (char& c : text) {
            c = round % 2 ? static_cast<char>(random()) : alphabet[random() % alphabet.size()];
        }
        HighScoreTableRecord table;
        ReadHighScoreTable(text, table);
        HighScoreTableRecord again;
        const ItemsRead read = ReadHighScoreTable(WriteHighScoreTable(table), again);
        EXPECT_EQ(read.Count, 10);
        EXPECT_FALSE(read.Damaged);
        ExpectTable(again, table);
        if (HasFailure()) {
            ADD_FAILURE() << "text of round " << round << ": \"" << text << "\"";
            break;
        }
    }
}

TEST_F(HighScoreFileTest, TypedNamesWithBlanksAndEmptyNamesSurviveASaveAndALoad) {
    const HighScoreTableRecord typed =
        Table({{"A B", 900}, {"", 800}, {" LEAD", 700}, {"TRAIL ", 600}, {"        ", 500}});
    for (const HighScoreEntry& entry : typed) {
        InsertHighScore(entry.Name, entry.Score);
        SaveHighScore(entry);
    }
    EXPECT_EQ(ReadFile("scores.dat"),
              "A\vB\n900\n\f\n800\n\vLEAD\n700\nTRAIL\v\n600\n\v\v\v\v\v\v\v\v\n500");
    HighScoreTable = HighScoreTableRecord{};
    testing::internal::CaptureStderr();
    LoadHighScoreTable();
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
    ExpectTable(HighScoreTable, typed);
    EXPECT_FALSE(FileExists("scores.dat.tmp"));
}

TEST_F(HighScoreFileTest, LoadingIsSilentWithoutAFileAndNamesTheFileWhenItIsDamaged) {
    testing::internal::CaptureStderr();
    LoadHighScoreTable();
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
    ExpectTable(HighScoreTable, HighScoreTableRecord{});

    WriteFile("scores.dat", "AB\n500\nCD\nlots\nEF\n300");
    testing::internal::CaptureStderr();
    LoadHighScoreTable();
    const std::string message = testing::internal::GetCapturedStderr();
    ExpectTable(HighScoreTable, Table({{"AB", 500}, {"CD", 0}}));
    EXPECT_NE(message.find("\"scores.dat\" is damaged"), std::string::npos) << message;
    EXPECT_NE(message.find("item 4"), std::string::npos) << message;
    EXPECT_EQ(std::count(message.begin(), message.end(), '\n'), 1) << message;
}

TEST_F(HighScoreFileTest, AHugeFileIsReadOnlyAsFarAsItsFirstSixteenMebibytes) {
    // One name of 17 MiB without a line end: entry 0 gets the first 16 MiB of it.
    WriteFile("scores.dat", std::string(17u << 20, 'Q'));
    testing::internal::CaptureStderr();
    LoadHighScoreTable();
    std::string message = testing::internal::GetCapturedStderr();
    EXPECT_EQ(HighScoreTable[0].Name.size(), 16u << 20);
    EXPECT_EQ(HighScoreTable[0].Score, 0);
    EXPECT_EQ(HighScoreTable[1].Name, "DEFAULT");
    EXPECT_NE(message.find("\"scores.dat\" is larger than 16 MiB"), std::string::npos) << message;
    EXPECT_EQ(std::count(message.begin(), message.end(), '\n'), 1) << message;

    // Exactly 16 MiB is read whole, without a word.
    HighScoreTable = HighScoreTableRecord{};
    std::string text = "BIG 7 ";
    text.resize(16u << 20, ' ');
    WriteFile("scores.dat", text);
    testing::internal::CaptureStderr();
    LoadHighScoreTable();
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
    ExpectTable(HighScoreTable, Table({{"BIG", 7}}));
}

TEST_F(HighScoreFileTest, ASaveThatFailsLeavesTheOldFileWholeAndTheNextSaveCatchesUp) {
    const std::string old = "OLD\n300\nOLD\n200\nOLD\n100\nOLD\n0\nOLD\n0";
    WriteFile("scores.dat", old);
    LoadHighScoreTable();
    const std::string longName(20000, 'N');
    InsertHighScore(longName, 999);

    // A file size limit makes the write stop after 4 KiB, as a full disk would. (The limit
    // applies to the captured error output too, which stays well below it.)
    struct sigaction ignore {
    }, previous{};
    ignore.sa_handler = SIG_IGN;
    ASSERT_EQ(sigaction(SIGXFSZ, &ignore, &previous), 0);
    rlimit limit{}, saved{};
    ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &saved), 0);
    limit = saved;
    limit.rlim_cur = 4096;
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &limit), 0);
    testing::internal::CaptureStderr();
    SaveHighScore({longName, 999});
    const std::string message = testing::internal::GetCapturedStderr();
    setrlimit(RLIMIT_FSIZE, &saved);
    sigaction(SIGXFSZ, &previous, nullptr);

    EXPECT_EQ(ReadFile("scores.dat"), old);
    EXPECT_FALSE(FileExists("scores.dat.tmp"));
    EXPECT_EQ(HighScoreTable[0].Score, 999);
    EXPECT_NE(message.find("could not save \"scores.dat\""), std::string::npos) << message;
    EXPECT_EQ(std::count(message.begin(), message.end(), '\n'), 1) << message;

    // The title menu still shows the entry that is not in the file.
    ReloadHighScoreTable();
    EXPECT_EQ(HighScoreTable[0].Name, longName);
    // With room again, the next entry's save brings the file up to the table.
    InsertHighScore("NEXT", 150);
    SaveHighScore({"NEXT", 150});
    EXPECT_EQ(ReadFile("scores.dat"), WriteHighScoreTable(HighScoreTable));
    EXPECT_EQ(HighScoreTable[2].Name, "OLD");
    EXPECT_EQ(HighScoreTable[3].Name, "NEXT");
}

}  // namespace
