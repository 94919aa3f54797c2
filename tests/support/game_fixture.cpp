#include "support/game_fixture.h"

#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <sstream>
#include <stdexcept>

#include "app/application.h"
#include "game/keys.h"
#include "game/sound_bank.h"

ScratchFolder::ScratchFolder(const std::string& stem) : Previous(std::filesystem::current_path()) {
    std::string pattern = (std::filesystem::temp_directory_path() / (stem + "-XXXXXX")).string();
    if (mkdtemp(pattern.data()) == nullptr) throw std::runtime_error("cannot make " + pattern);
    Folder = pattern;
    std::filesystem::current_path(Folder);
}

ScratchFolder::~ScratchFolder() {
    std::filesystem::current_path(Previous);
    std::error_code ignored;
    std::filesystem::remove_all(Folder, ignored);
}

void GameTest::SetUp() {
    StartOnPlatform(Platform);
    Platform.ClearRecords();
}

void GameTest::TearDown() {
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
