// A test fixture that runs the game on the scripted platform, inside a fresh temporary working
// folder, with every process-wide record at its program-start values, every picture and sound
// "loaded", and the board reset as start-up leaves it.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "support/scripted_platform.h"

class GameTest : public ::testing::Test {
  protected:
    void SetUp() override;
    void TearDown() override;

    // Reads a file of the working folder whole; "" when it is missing.
    std::string ReadFile(const std::string& name) const;
    void WriteFile(const std::string& name, const std::string& content) const;
    bool FileExists(const std::string& name) const;

    ScriptedPlatform Platform;
    std::filesystem::path Folder;

  private:
    std::filesystem::path PreviousFolder;
};
