#include "e2e/controls_screen.h"

#include <chrono>
#include <utility>

#include "game/assets.h"
#include "game/layout.h"

namespace e2e {

using namespace std::chrono_literals;

// Key and button names as the controls screen sets them: each glyph advances its width less
// 3, a blank 10, and the next name starts 24 after the last glyph's advance.
namespace {

int ComposeLabel(Image& screen, const std::string& text, int x, int y, uint32_t colour) {
    int pen = x;
    for (const char c : text) {
        std::string file;
        int width = 0;
        if (c >= 'A' && c <= 'Z') {
            file = std::string("font/") + c + ".png";
            width = LetterPictures[c - 'A'].Width;
        } else if (c >= '0' && c <= '9') {
            file = std::string("font/") + c + ".png";
            width = DigitPictures[c - '0'].Width;
        }
        for (const SignPicture& sign : SignPictures) {
            if (sign.Sign == c) {
                file = RunFolderPath(sign.File.Name).substr(4);  // after "gfx/"
                width = sign.File.Width;
            }
        }
        if (file.empty()) {
            pen += 10;
            continue;
        }
        Compose(screen, Picture(file), pen, y, colour);
        pen += width - 3;
    }
    return pen;
}

}  // namespace

// The controls screen with the highlight on `cursor`, each action's keys and buttons named as
// the screen names them (none: "NONE", quieter).
Image ControlsScreen(int cursor, const std::vector<std::vector<std::string>>& keys,
                     const std::vector<std::vector<std::string>>& buttons) {
    const ControlsPlaces& at = ControlsLayout;
    Image screen = Picture("controlsbkg.jpg");
    for (int row = 0; row < 8; ++row) {
        const int y = row == 7 ? at.ResetRowY : at.FirstRowY + at.RowStep * row;
        const PictureFile& label =
            cursor == row ? ControlsRowPictures[row].Highlighted : ControlsRowPictures[row].Plain;
        Compose(screen, Picture(RunFolderPath(label.Name).substr(4)), at.LabelX, y);
        if (row == 7) break;
        for (const auto& [names, x] : {std::pair{keys[static_cast<size_t>(row)], at.KeysX},
                                       std::pair{buttons[static_cast<size_t>(row)], at.ButtonsX}}) {
            if (names.empty()) ComposeLabel(screen, "NONE", x, y + 1, 0x90FFFFFFu);
            int pen = x;
            for (const std::string& name : names) {
                pen = ComposeLabel(screen, name, pen, y + 1, 0xFFFFFFFFu) + 24;
            }
        }
    }
    return screen;
}

// Waits until the screen shows the controls screen `expected`: as a whole, and each row's keys
// and buttons closely enough that one wrong glyph counts.
::testing::AssertionResult WaitForControls(const Image& expected, const std::string& what) {
    const ControlsPlaces& at = ControlsLayout;
    const auto rowsMatch = [&](const Image& shot) {
        for (int row = 0; row < 7; ++row) {
            const int y = at.FirstRowY + at.RowStep * row;
            for (const auto& [x, right] :
                 {std::pair{at.KeysX, at.ButtonsX}, std::pair{at.ButtonsX, at.Right}}) {
                if (RegionDifference(shot, expected, x, y, right - x, 32) > 0.4) return false;
            }
        }
        return true;
    };
    const ::testing::AssertionResult whole = WaitForScreen(expected, what);
    if (!whole) return whole;
    if (WaitUntil([&] { return rowsMatch(TakeScreenshot()); }, 10s)) return whole;
    KeepScreenshot(TakeScreenshot(), "failed-rows-" + what);
    return ::testing::AssertionFailure() << "a row of " << what << " shows other names";
}

}  // namespace e2e
