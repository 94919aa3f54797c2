#include "support/game_fixture.h"

#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <sstream>

#include "app/application.h"
#include "game/keys.h"
#include "game/sound_bank.h"

void GameTest::SetUp() {
    PreviousFolder = std::filesystem::current_path();
    std::string pattern =
        (std::filesystem::temp_directory_path() / "zantorvix-test-XXXXXX").string();
    ASSERT_NE(mkdtemp(pattern.data()), nullptr);
    Folder = pattern;
    std::filesystem::current_path(Folder);

    StartOnPlatform(Platform);
    Platform.ClearRecords();
}

void GameTest::TearDown() {
    std::filesystem::current_path(PreviousFolder);
    std::error_code ignored;
    std::filesystem::remove_all(Folder, ignored);
    SetPlatform(nullptr);
}

std::string GameTest::ReadFile(const std::string& name) const {
    std::ifstream in(Folder / name, std::ios::binary);
    std::ostringstream content;
    content << in.rdbuf();
    return content.str();
}

void GameTest::WriteFile(const std::string& name, const std::string& content) const {
    std::ofstream out(Folder / name, std::ios::binary);
    out << content;
}

bool GameTest::FileExists(const std::string& name) const {
    return std::filesystem::exists(Folder / name);
}
