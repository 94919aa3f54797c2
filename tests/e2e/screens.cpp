#include "e2e/screens.h"

#include <map>
#include <sstream>

namespace fs = std::filesystem;

namespace e2e {

namespace {

const fs::path Run = ZANTORVIX_RUN_DIR;

constexpr int CellLeft = 317, CellTop = 59, CellSize = 26;

const char* const BlockFiles[9] = {"",           "red.png",  "blue.png",  "aqua.png", "yellow.png",
                                   "orange.png", "pink.png", "green.png", "bomb.png"};

}  // namespace

const Image& Picture(const std::string& name) {
    static std::map<std::string, Image> cache;
    auto found = cache.find(name);
    if (found == cache.end()) found = cache.emplace(name, LoadPicture(Run / "gfx" / name)).first;
    return found->second;
}

void ComposeWord(Image& screen, const std::string& text, int x, int y) {
    int pen = x;
    for (char c : text) {
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
        if (c >= 'A' && c <= 'Z') {
            Compose(screen, Picture(std::string("font/") + c + ".png"), pen, y);
            pen += c == 'I' ? 12 : 25;
        } else {
            pen += 25;
        }
    }
}

void ComposePaddedNumber(Image& screen, int value, int x, int y) {
    for (int place = 4; place >= 0; --place, value /= 10) {
        Compose(screen, Picture("font/" + std::to_string(value % 10) + ".png"), x + 20 * place, y);
    }
}

std::vector<TableEntry> DefaultTable() {
    return std::vector<TableEntry>(5, {"DEFAULT", 0});
}

Image TitleMenu(int cursor, const std::vector<TableEntry>& table) {
    Image screen = Picture("titlebkg.png");
    Compose(screen, Picture(cursor == 0 ? "start2.png" : "start.png"), cursor == 0 ? 434 : 450,
            325);
    Compose(screen, Picture(cursor == 1 ? "options2.png" : "options.png"), cursor == 1 ? 412 : 430,
            385);
    Compose(screen, Picture(cursor == 2 ? "exit2.png" : "exit.png"), cursor == 2 ? 458 : 467, 445);
    for (int i = 0; i < 5; ++i) {
        ComposeWord(screen, table[static_cast<size_t>(i)].Name, 330, 570 + 40 * i);
        ComposePaddedNumber(screen, table[static_cast<size_t>(i)].Score, 600, 570 + 40 * i);
    }
    return screen;
}

bool ScreenShows(const Image& expected, double tolerance) {
    const Image shot = TakeScreenshot();
    return !shot.Empty() && RegionDifference(shot, expected, 0, 0, 1024, 768) < tolerance;
}

// Waits until the whole screen shows `expected` (within a few levels per channel). The time
// allowed covers a start-up on a two-core machine busy with other builds, where the loading
// screen and the menu's fade-in alone can take twenty seconds.
::testing::AssertionResult WaitForScreen(const Image& expected, const std::string& what,
                                         std::chrono::milliseconds timeout) {
    if (WaitUntil([&] { return ScreenShows(expected); }, timeout)) {
        KeepScreenshot(TakeScreenshot(), what);
        return ::testing::AssertionSuccess();
    }
    const Image shot = TakeScreenshot();
    KeepScreenshot(shot, "failed-" + what);
    return ::testing::AssertionFailure()
           << "the screen never showed " << what << " (mean difference "
           << RegionDifference(shot, expected, 0, 0, 1024, 768) << ")";
}

std::vector<std::string> BoardRows(const fs::path& folder) {
    std::vector<std::string> rows;
    std::string text = ReadFile(folder / "data.dat");
    size_t start = 0;
    for (size_t end; (end = text.find('\n', start)) != std::string::npos; start = end + 1) {
        rows.push_back(text.substr(start, end - start));
    }
    return rows;
}

Image PlayBackdrop() {
    Image screen = Picture("background1.jpg");
    Compose(screen, Picture("HUD.dds"), 0, 0);
    return screen;
}

double CellDifference(const Image& shot, int column, int row, int colour) {
    Image expected = PlayBackdrop();
    const int x = CellLeft + CellSize * column, y = CellTop + CellSize * row;
    if (colour > 0) {
        Compose(expected, Picture(std::string("blocks/set1/") + BlockFiles[colour]), x, y);
    }
    return RegionDifference(shot, expected, x, y, CellSize, CellSize);
}

bool PlayIsShown() {
    Image expected = PlayBackdrop();
    ComposeWord(expected, "lines", 190, 465);
    const Image shot = TakeScreenshot();
    return RegionDifference(shot, expected, 180, 455, 140, 45) < 4.0;
}

int ReadPaddedNumber(const Image& shot, const Image& below, int x, int y) {
    int value = 0;
    for (int place = 0; place < 5; ++place) {
        int best = 0;
        double bestDifference = 1e9;
        for (int digit = 0; digit <= 9; ++digit) {
            Image expected = below;
            const Image& glyph = Picture("font/" + std::to_string(digit) + ".png");
            Compose(expected, glyph, x + 20 * place, y);
            const double d =
                RegionDifference(shot, expected, x + 20 * place, y, glyph.Width, glyph.Height);
            if (d < bestDifference) bestDifference = d, best = digit;
        }
        value = value * 10 + best;
    }
    return value;
}

Image OptionsScreen(int cursor, int volume, bool bombs, bool shadow, bool preview) {
    Image screen = Picture("titlebkg.png");
    const char* labels[4] = {"volume", "bombs", "shadow", "preview"};
    const bool switches[4] = {false, bombs, shadow, preview};
    for (int row = 1; row <= 4; ++row) {
        const int y = 250 + 50 * row;
        const std::string label = labels[row - 1];
        Compose(screen, Picture(label + (cursor == row ? "2.png" : ".png")), 300, y);
        if (row == 1) continue;
        Compose(screen, Picture(switches[row - 1] ? "on2.png" : "on.png"), 600, y);
        Compose(screen, Picture(switches[row - 1] ? "off.png" : "off2.png"), 675, y);
    }
    // The volume, unpadded and right-aligned in five places from x 600.
    int place = 4;
    do {
        Compose(screen, Picture("font/" + std::to_string(volume % 10) + ".png"), 600 + 20 * place,
                300);
        volume /= 10;
        --place;
    } while (volume > 0);
    for (int i = 0; i < 5; ++i) {
        ComposeWord(screen, "DEFAULT", 330, 570 + 40 * i);
        ComposePaddedNumber(screen, 0, 600, 570 + 40 * i);
    }
    return screen;
}

std::vector<TableEntry> TableIn(const fs::path& folder) {
    std::istringstream items(ReadFile(folder / "scores.dat"));
    std::vector<TableEntry> table = DefaultTable();
    for (TableEntry& entry : table) items >> entry.Name >> entry.Score;
    return table;
}

}  // namespace e2e
