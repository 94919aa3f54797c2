// Records the corpus of real games under tests/replays: the real program in a virtual X
// display, played through real key events by a player that watches the screen and reads
// "data.dat" the way a person watches the well. Each game is retried until the set covers
// bombs on and off, a four-row clear, a bomb collapse, a pause, keypad plus, a top-out with a
// name entered, an Escape, and a game that climbs to level 7, where the sideways repeat quickens.
//
//   zantorvix_record_corpus OUTPUT_FOLDER      (tools/record-corpus runs it)
#include <sys/stat.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <optional>
#include <string>
#include <vector>

#include "e2e/harness.h"
#include "game/pieces.h"
#include "replay/replay_file.h"
#include "support/autoplayer.h"
#include "support/replay_coverage.h"

namespace fs = std::filesystem;
using namespace std::chrono_literals;
using namespace e2e;

namespace {

const fs::path Run = ZANTORVIX_RUN_DIR;
constexpr int CellLeft = 317, CellTop = 59, CellSize = 26;
constexpr const char* BlockFiles[8] = {"red.png",    "blue.png", "aqua.png",  "yellow.png",
                                       "orange.png", "pink.png", "green.png", "bomb.png"};

const Image& Block(int colour) {
    static std::vector<Image> blocks;
    if (blocks.empty()) {
        for (const char* file : BlockFiles)
            blocks.push_back(LoadPicture(Run / "gfx/blocks/set1" / file));
    }
    return blocks[static_cast<size_t>(colour - 1)];
}

// How far the cell on screen is from showing the block picture (mean per channel, 0 to 255).
double CellDistance(const Image& shot, int column, int row, const Image& block) {
    const int x0 = CellLeft + CellSize * column, y0 = CellTop + CellSize * row;
    double sum = 0;
    int count = 0;
    for (int y = 0; y < block.Height && y < CellSize; ++y) {
        for (int x = 0; x < block.Width && x < CellSize; ++x) {
            const uint32_t want = block.At(x, y);
            if (want == 0xFFFF00FFu || (want >> 24) < 250) continue;
            const uint32_t got = shot.At(x0 + x, y0 + y);
            for (int shift = 0; shift <= 16; shift += 8) {
                sum += std::abs(static_cast<int>((want >> shift) & 0xFF) -
                                static_cast<int>((got >> shift) & 0xFF));
            }
            count += 3;
        }
    }
    return count ? sum / count : 255.0;
}

struct Board {
    CellColour Cells[BoardColumns][BoardRows] = {};
    bool Read = false;
};

Board ReadBoard(const fs::path& folder) {
    Board board;
    std::ifstream in(folder / "data.dat");
    std::string line;
    for (int row = 0; row < BoardRows && std::getline(in, line); ++row) {
        if (line.size() < BoardColumns) return board;
        for (int column = 0; column < BoardColumns; ++column) {
            board.Cells[column][row] = line[static_cast<size_t>(column)] - '0';
        }
        if (row == BoardRows - 1) board.Read = true;
    }
    if (!fs::exists(folder / "data.dat")) board.Read = true;  // nothing locked yet
    return board;
}

struct Falling {
    PieceCode Code = 0;
    int32_t Column = 0;
    int32_t Row = 0;
};

// The falling piece: the one group of cells that shows a block where the well is empty.
// Nothing when the screen is not yet showing the board the file holds (a frame from before
// the last lock).
std::optional<Falling> ReadFallingPiece(const Image& shot, const Board& board) {
    if (shot.Empty()) return std::nullopt;
    std::vector<CellOffset> cells[9];
    for (int row = 0; row < BoardRows; ++row) {
        for (int column = 0; column < BoardColumns; ++column) {
            const CellColour locked = board.Cells[column][row];
            if (locked != 0) {
                if (locked < 1 || locked > 8 ||
                    CellDistance(shot, column, row, Block(locked)) >= 10.0) {
                    return std::nullopt;
                }
                continue;
            }
            for (int colour = 1; colour <= 8; ++colour) {
                if (CellDistance(shot, column, row, Block(colour)) < 10.0) {
                    cells[colour].push_back({column, row});
                    break;
                }
            }
        }
    }
    std::optional<Falling> found;
    for (int colour = 1; colour <= 8; ++colour) {
        if (cells[colour].empty()) continue;
        if (found) return std::nullopt;  // two groups: the screen and the file disagree for now
        int32_t left = BoardColumns, top = BoardRows;
        for (const CellOffset& cell : cells[colour]) {
            left = std::min(left, cell.Column);
            top = std::min(top, cell.Row);
        }
        for (PieceCode code = 0; code < PieceCodeCount; ++code) {
            const PieceShape& shape = PieceCatalogue[code];
            const int wanted = code == BombPiece ? 8 : shape.Colour;
            if (wanted != colour ||
                shape.Cells.Count != static_cast<int32_t>(cells[colour].size())) {
                continue;
            }
            bool same = true;
            for (const CellOffset& cell : cells[colour]) {
                same = same && shape.Cells.Holds({cell.Column - left, cell.Row - top});
            }
            if (same) found = Falling{code, left, top};
        }
        if (!found) return std::nullopt;
    }
    return found;
}

// The title menu at full strength with "start" highlighted.
bool TitleMenuShown() {
    static Image expected;
    static Image start;
    if (expected.Empty()) {
        expected = LoadPicture(Run / "gfx/titlebkg.png");
        start = LoadPicture(Run / "gfx/start2.png");
        Compose(expected, start, 434, 325);
    }
    const Image shot = TakeScreenshot();
    return !shot.Empty() &&
           RegionDifference(shot, expected, 434, 325, start.Width, start.Height) < 6.0;
}

// True once the first piece of a game shows in the empty well.
bool PlayShown() {
    const Image shot = TakeScreenshot();
    return !shot.Empty() && ReadFallingPiece(shot, Board{}).has_value();
}

std::string FileText(const fs::path& file) {
    return ReadFile(file);
}

int32_t CellsOf(const Board& board) {
    int32_t cells = 0;
    for (const auto& column : board.Cells) {
        for (CellColour cell : column) cells += cell != 0;
    }
    return cells;
}

class Player {
  public:
    explicit Player(const fs::path& folder) : Folder(folder) {}

    int32_t Rows = 0;           // rows cleared, as far as data.dat tells
    bool FourRowClear = false;  // one lock took four rows or more

    // Steers the falling piece to the chosen place and drops it; false when the game seems
    // to be over (no piece for a long while).
    bool PlayOnePiece(bool keepWell) {
        const std::string before = FileText(Folder / "data.dat");
        const auto start = std::chrono::steady_clock::now();
        int turns = 0, moves = 0;
        std::optional<Placement> target;
        PieceCode targetCode = 0;
        while (std::chrono::steady_clock::now() - start < 30s) {
            if (FileText(Folder / "data.dat") != before) return true;  // locked on its own
            const Board board = ReadBoard(Folder);
            if (!board.Read) continue;
            const std::optional<Falling> piece = ReadFallingPiece(TakeScreenshot(), board);
            if (!piece) {
                Pause(20ms);
                continue;
            }
            if (!target) {
                target = ChoosePlacement(board.Cells, piece->Code, keepWell);
                targetCode = Turned(piece->Code, target->Turns);
                if (std::getenv("CORPUS_VERBOSE")) {
                    std::fprintf(stderr, "  piece %d at column %d row %d: to %d in column %d\n",
                                 piece->Code, piece->Column, piece->Row, targetCode,
                                 target->Column);
                }
            }
            if (piece->Code != targetCode && turns < 4) {
                ++turns;
                Hold("Up", [&](const Falling& now) { return now.Code != piece->Code; });
                continue;
            }
            if (piece->Column != target->Column && moves < 20) {
                ++moves;
                const int32_t column = piece->Column;
                Hold(piece->Column < target->Column ? "Right" : "Left",
                     [&](const Falling& now) { return now.Column != column; });
                continue;
            }
            const int32_t cellsBefore = CellsOf(board);
            KeyDown("space");
            WaitUntil([&] { return FileText(Folder / "data.dat") != before; }, 2s);
            KeyUp("space");
            if (piece->Code != BombPiece) {
                // Four cells came, fifteen went with each full row.
                const int32_t rows = (cellsBefore + 4 - CellsOf(ReadBoard(Folder))) / 15;
                Rows += rows;
                FourRowClear = FourRowClear || rows >= 4;
            }
            return true;
        }
        return false;
    }

    // Holds a key until the piece on screen shows its effect (or a while has passed), so that
    // it acts once however slowly the game's frames come.
    template <typename Done>
    void Hold(const char* key, Done done) {
        KeyDown(key);
        WaitUntil(
            [&] {
                const std::optional<Falling> now =
                    ReadFallingPiece(TakeScreenshot(), ReadBoard(Folder));
                return now && done(*now);
            },
            600ms);
        KeyUp(key);
        Pause(30ms);
    }

    fs::path Folder;
};

bool ToppedOut(const fs::path& folder) {
    const Board board = ReadBoard(folder);
    for (int column = 0; column < BoardColumns; ++column) {
        if (board.Cells[column][0] != 0) return true;
    }
    return false;
}

struct Scenario {
    const char* Name;
    const char* Options;   // options.dat
    int32_t Pieces;        // placed with care before the end
    bool TopOut;           // else Escape
    int32_t PauseAt = -1;  // pause before this piece
    int32_t CycleAt = -1;  // keypad plus before this piece
    int32_t Rows = 0;      // rows to clear before giving up (two level-ups take 20)
    // What the game must bring to the corpus, given what the games before it brought.
    bool (*Brings)(const ReplayCoverage& covered) = nullptr;
};

// Plays one scenario in a fresh folder; the replay it left, or "" when the game went wrong.
std::string PlayScenario(const Scenario& scenario) {
    const fs::path folder = MakeGameFolder();
    std::ofstream(folder / "options.dat") << scenario.Options;
    std::string replay;
    {
        GameRun game(folder);
        if (!WaitForWindow(30s) || !WaitUntil(TitleMenuShown, 60s)) return "";
        PressKey("Return");
        if (!WaitUntil(PlayShown, 60s)) return "";
        Pause(2s);  // the rest of the fade-in, which takes no keys
        Player player(folder);
        for (int32_t piece = 1; piece <= scenario.Pieces; ++piece) {
            if (piece == scenario.PauseAt) {
                PressKey("Return");
                Pause(1500ms);
                PressKey("Return");
                Pause(300ms);
            }
            if (piece == scenario.CycleAt) {
                PressKey("KP_Add", 40ms);
                Pause(300ms);
            }
            // Rows saved up for a four-row clear first, then rows as they come.
            if (!player.PlayOnePiece(!player.FourRowClear)) break;
            if (ToppedOut(folder)) break;
            if (scenario.TopOut && player.Rows >= scenario.Rows && piece > scenario.CycleAt) break;
        }
        if (scenario.TopOut) {
            HoldSpaceUntilToppedOut(folder);
            Pause(2s);
            PressKey("BackSpace");  // a blank typed by the Space still held at the end
            for (const char* key : {"c", "o", "r", "p", "u", "s"}) PressKey(key);
            PressKey("Return");
        } else {
            PressKey("Escape");
        }
        WaitUntil([&] { return fs::exists(folder / "replays/last.zrp"); }, 60s);
        WaitUntil(TitleMenuShown, 60s);
        PressKey("Escape");  // the title menu: quit
        game.WaitForExit(10s);
        replay = ReadFile(folder / "replays/last.zrp");
    }
    std::error_code ignored;
    fs::remove_all(folder, ignored);
    return replay;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: zantorvix_record_corpus OUTPUT_FOLDER\n");
        return 2;
    }
    const fs::path output = argv[1];
    fs::create_directories(output);
    const Scenario scenarios[] = {
        {"bombs-to-the-top", "255\n1\n1\n1", 400, true, 6, 9, 24,
         [](const ReplayCoverage& c) {
             return c.FourRowClear && c.BombCollapse && c.LevelUps >= 2 && c.Pause &&
                    c.CyclePiece && c.TopOutWithName;
         }},
        {"no-bombs-then-escape", "255\n0\n1\n1", 14, false, -1, -1, 0,
         [](const ReplayCoverage& c) { return c.Escape && c.BombsOff; }},
        // A long game: the faster gravity and sideways repeat of the higher levels.
        {"no-bombs-to-level-seven", "255\n0\n1\n1", 900, true, -1, -1, 60,
         [](const ReplayCoverage& c) { return c.LevelUps >= 6; }},
    };
    ReplayCoverage coverage;
    for (const Scenario& scenario : scenarios) {
        for (int attempt = 1; attempt <= 4; ++attempt) {
            std::fprintf(stderr, "recording %s (attempt %d)\n", scenario.Name, attempt);
            const std::string bytes = PlayScenario(scenario);
            Replay replay;
            std::string reason;
            if (!ReadReplay(bytes, replay, reason)) {
                std::fprintf(stderr, "  no replay: %s\n", reason.c_str());
                continue;
            }
            ReplayCoverage mine = coverage;
            const PlaybackResult result = PlayBackAndCover(replay, mine);
            if (result.Outcome != PlaybackResult::Verdict::Matches) {
                std::fprintf(stderr, "  does not play back: %s\n", result.Message.c_str());
                continue;
            }
            std::fprintf(stderr, "  %lld frames, score %d, %d rows, level %d; still missing: %s\n",
                         static_cast<long long>(replay.End.Frames), replay.End.Score,
                         replay.End.Rows, replay.End.Level,
                         mine.Missing().empty() ? "nothing" : mine.Missing().c_str());
            if (!scenario.Brings(mine) && attempt < 4) continue;
            coverage = mine;
            std::ofstream(output / (std::string(scenario.Name) + ".zrp"), std::ios::binary)
                << bytes;
            break;
        }
    }
    const std::string missing = coverage.Missing();
    if (!missing.empty()) {
        std::fprintf(stderr, "the corpus still lacks: %s\n", missing.c_str());
        return 1;
    }
    std::fprintf(stderr, "the corpus covers everything it should\n");
    return 0;
}
