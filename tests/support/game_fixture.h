// A test fixture that runs the game on the scripted platform, inside a fresh temporary working
// folder, with every process-wide record at its program-start values, every picture and sound
// "loaded", and the board reset as start-up leaves it.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "support/scripted_platform.h"

// A fresh temporary folder, the working folder for as long as this lives; the folder before is
// the working folder again, and this one is gone, when it goes.
class ScratchFolder {
  public:
    explicit ScratchFolder(const std::string& stem);
    ~ScratchFolder();
    ScratchFolder(const ScratchFolder&) = delete;
    ScratchFolder& operator=(const ScratchFolder&) = delete;

    const std::filesystem::path& Path() const { return Folder; }

  private:
    std::filesystem::path Previous;
    std::filesystem::path Folder;
};

class GameTest : public ::testing::Test {
  protected:
    void SetUp() override;
    void TearDown() override;

    // Reads a file of the working folder whole; "" when it is missing.
    std::string ReadFile(const std::string& name) const;
    void WriteFile(const std::string& name, const std::string& content) const;
    bool FileExists(const std::string& name) const;

    ScratchFolder Scratch{"zantorvix-test"};
    const std::filesystem::path Folder = Scratch.Path();
    ScriptedPlatform Platform;
};
