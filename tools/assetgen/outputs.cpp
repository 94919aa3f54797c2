#include "outputs.h"

#include <filesystem>
#include <mutex>
#include <set>
#include <stdexcept>
#include <string_view>

namespace assetgen {
namespace {

std::mutex WrittenMutex;
std::set<std::string> Written;

void RecordWritten(const std::string& path) {
    const std::lock_guard<std::mutex> lock(WrittenMutex);
    Written.insert(path);
}

bool EndsWith(std::string_view text, std::string_view ending) {
    return text.size() >= ending.size() && text.substr(text.size() - ending.size()) == ending;
}

}  // namespace

std::string OutputPath(const std::string& runDir, const char* name) {
    return runDir + "/" + RunFolderPath(name);
}

void MakeOutputFolders(const std::string& runDir) {
    std::set<std::filesystem::path> folders;
    for (const PictureFile& picture : EveryPicture) {
        folders.insert(std::filesystem::path(OutputPath(runDir, picture.Name)).parent_path());
    }
    for (const char* sound : SoundFiles) {
        folders.insert(std::filesystem::path(OutputPath(runDir, sound)).parent_path());
    }
    for (const std::filesystem::path& folder : folders) {
        try {
            std::filesystem::create_directories(folder);
        } catch (const std::exception& e) {
            throw std::runtime_error("cannot make the folder " + folder.string() + ": " + e.what());
        }
    }
}

void SavePicture(const std::string& runDir, const PictureFile& file, const Picture& picture) {
    const std::string path = OutputPath(runDir, file.Name);
    if ((file.Width != 0 && picture.Width() != file.Width) ||
        (file.Height != 0 && picture.Height() != file.Height)) {
        throw std::runtime_error(path + " was drawn " + std::to_string(picture.Width()) + "x" +
                                 std::to_string(picture.Height()) + ", but the game expects " +
                                 std::to_string(file.Width) + "x" + std::to_string(file.Height));
    }
    if (EndsWith(path, ".png")) {
        picture.SavePng(path);
    } else if (EndsWith(path, ".jpg")) {
        picture.SaveJpeg(path, 90);
    } else if (EndsWith(path, ".dds")) {
        picture.SaveDds(path);
    } else {
        throw std::runtime_error("no picture format is known for " + path);
    }
    RecordWritten(path);
}

void SaveSound(const std::string& runDir, SoundSlot slot, const Stereo& sound, bool mono) {
    const std::string path = OutputPath(runDir, SoundFiles[slot]);
    if (EndsWith(path, ".mp3")) {
        WriteMp3(path, sound);
    } else if (EndsWith(path, ".wav") && mono) {
        WriteWav(path, sound.L);
    } else if (EndsWith(path, ".wav")) {
        WriteWav(path, sound);
    } else {
        throw std::runtime_error("no sound format is known for " + path);
    }
    RecordWritten(path);
}

void SaveBrowserEffect(const std::string& webDir, SoundSlot slot, const Stereo& sound, bool mono) {
    const std::string path = OutputPath(webDir, SoundFiles[slot]);
    std::filesystem::create_directories(std::filesystem::path(path).parent_path());
    WriteOggVorbis(path, sound, mono);
}

std::string FilesNotWritten(const std::string& runDir) {
    const std::lock_guard<std::mutex> lock(WrittenMutex);
    std::string missing;
    const auto check = [&](const char* name) {
        if (Written.count(OutputPath(runDir, name)) == 0)
            missing += "  " + RunFolderPath(name) + "\n";
    };
    for (const PictureFile& picture : EveryPicture) check(picture.Name);
    for (const char* sound : SoundFiles) check(sound);
    return missing;
}

}  // namespace assetgen
