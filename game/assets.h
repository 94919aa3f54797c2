// Every picture and sound the game loads, by the very name it asks for, with the size the
// picture generator draws it at wherever the screen's layout counts on one. The game loads from
// this list, the generator (tools/assetgen) writes what it names, and the asset tests read it
// back; so it holds nothing but standard headers.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

// A picture file. A size of 0 is one the generator fits to the lettering it draws.
struct PictureFile {
    const char* Name = nullptr;
    int32_t Width = 0;
    int32_t Height = 0;
};

// --- Pictures, in the order the game loads them ----------------------------------------------

// The title screen first, with the letters, so that the loading screen can show while the rest
// loads.
inline constexpr PictureFile TitlePicture{"gfx//titlebkg.png", 1024, 768};

// A to Z, each within the 25 pixels a letter advances (the I within its 12).
inline constexpr PictureFile LetterPictures[26] = {
    {"gfx//font//A.png", 24, 30}, {"gfx//font//B.png", 24, 30}, {"gfx//font//C.png", 24, 30},
    {"gfx//font//D.png", 24, 30}, {"gfx//font//E.png", 24, 30}, {"gfx//font//F.png", 24, 30},
    {"gfx//font//G.png", 24, 30}, {"gfx//font//H.png", 24, 30}, {"gfx//font//I.png", 12, 30},
    {"gfx//font//J.png", 24, 30}, {"gfx//font//K.png", 24, 30}, {"gfx//font//L.png", 24, 30},
    {"gfx//font//M.png", 24, 30}, {"gfx//font//N.png", 24, 30}, {"gfx//font//O.png", 24, 30},
    {"gfx//font//P.png", 24, 30}, {"gfx//font//Q.png", 24, 30}, {"gfx//font//R.png", 24, 30},
    {"gfx//font//S.png", 24, 30}, {"gfx//font//T.png", 24, 30}, {"gfx//font//U.png", 24, 30},
    {"gfx//font//V.png", 24, 30}, {"gfx//font//W.png", 24, 30}, {"gfx//font//X.png", 24, 30},
    {"gfx//font//Y.png", 24, 30}, {"gfx//font//Z.png", 24, 30}};

// One backdrop per level, 1 to 10.
inline constexpr PictureFile LevelBackgroundPictures[10] = {
    {"gfx//background1.jpg", 1024, 768}, {"gfx//background2.jpg", 1024, 768},
    {"gfx//background3.jpg", 1024, 768}, {"gfx//background4.jpg", 1024, 768},
    {"gfx//background5.jpg", 1024, 768}, {"gfx//background6.jpg", 1024, 768},
    {"gfx//background7.jpg", 1024, 768}, {"gfx//background8.jpg", 1024, 768},
    {"gfx//background9.jpg", 1024, 768}, {"gfx//background10.jpg", 1024, 768}};

inline constexpr PictureFile HudPicture{"gfx//HUD.dds", 1024, 768};
inline constexpr PictureFile ColonPicture{"gfx//colon.png", 14, 26};

// The title menu's items, plain and highlighted ("2"): the menu draws each at a fixed x that
// centres exactly these widths.
inline constexpr PictureFile StartPicture{"gfx//start.png", 124, 44};
inline constexpr PictureFile Start2Picture{"gfx//start2.png", 156, 55};
inline constexpr PictureFile OptionsPicture{"gfx//options.png", 164, 44};
inline constexpr PictureFile Options2Picture{"gfx//options2.png", 200, 55};
inline constexpr PictureFile ExitPicture{"gfx//exit.png", 90, 44};
inline constexpr PictureFile Exit2Picture{"gfx//exit2.png", 108, 55};

// The options screen's rows, plain and highlighted: labels drawn from the left edge as wide as
// their word, and the on and off marks in fixed columns.
inline constexpr PictureFile VolumePicture{"gfx//volume.png", 0, 45};
inline constexpr PictureFile Volume2Picture{"gfx//volume2.png", 0, 45};
inline constexpr PictureFile BombsPicture{"gfx//bombs.png", 0, 45};
inline constexpr PictureFile Bombs2Picture{"gfx//bombs2.png", 0, 45};
inline constexpr PictureFile ShadowPicture{"gfx//shadow.png", 0, 45};
inline constexpr PictureFile Shadow2Picture{"gfx//shadow2.png", 0, 45};
inline constexpr PictureFile OnPicture{"gfx//on.png", 70, 45};
inline constexpr PictureFile On2Picture{"gfx//on2.png", 70, 45};
inline constexpr PictureFile OffPicture{"gfx//off.png", 70, 45};
inline constexpr PictureFile Off2Picture{"gfx//off2.png", 70, 45};
inline constexpr PictureFile PreviewPicture{"gfx//preview.png", 0, 45};
inline constexpr PictureFile Preview2Picture{"gfx//preview2.png", 0, 45};

// The score screen's heading.
inline constexpr PictureFile BonusPicture{"gfx//bonus.png", 164, 52};

// One cell of the well each, by board colour 1 to 8.
inline constexpr PictureFile BlockPictures[8] = {
    {"gfx//blocks//set1//red.png", 26, 26},    {"gfx//blocks//set1//blue.png", 26, 26},
    {"gfx//blocks//set1//aqua.png", 26, 26},   {"gfx//blocks//set1//yellow.png", 26, 26},
    {"gfx//blocks//set1//orange.png", 26, 26}, {"gfx//blocks//set1//pink.png", 26, 26},
    {"gfx//blocks//set1//green.png", 26, 26},  {"gfx//blocks//set1//bomb.png", 26, 26}};
// Where the falling piece will land.
inline constexpr PictureFile ShadowBlockPicture{"gfx//blocks//set1//shadow.png", 26, 26};

// 0 to 9, each as wide as a digit advances.
inline constexpr PictureFile DigitPictures[10] = {
    {"gfx//font//0.png", 20, 30}, {"gfx//font//1.png", 20, 30}, {"gfx//font//2.png", 20, 30},
    {"gfx//font//3.png", 20, 30}, {"gfx//font//4.png", 20, 30}, {"gfx//font//5.png", 20, 30},
    {"gfx//font//6.png", 20, 30}, {"gfx//font//7.png", 20, 30}, {"gfx//font//8.png", 20, 30},
    {"gfx//font//9.png", 20, 30}};

// The signs key names need, in the letters' style, each as wide as its shape: every printable
// sign that is not a letter or a digit (key names take their digits from DigitPictures).
struct SignPicture {
    char Sign;
    PictureFile File;
};
inline constexpr SignPicture SignPictures[32] = {
    {'!', {"gfx//font//signs//exclamation.png", 12, 30}},
    {'"', {"gfx//font//signs//quote.png", 16, 30}},
    {'#', {"gfx//font//signs//hash.png", 24, 30}},
    {'$', {"gfx//font//signs//dollar.png", 24, 30}},
    {'%', {"gfx//font//signs//percent.png", 24, 30}},
    {'&', {"gfx//font//signs//ampersand.png", 24, 30}},
    {'\'', {"gfx//font//signs//apostrophe.png", 12, 30}},
    {'(', {"gfx//font//signs//leftparen.png", 16, 30}},
    {')', {"gfx//font//signs//rightparen.png", 16, 30}},
    {'*', {"gfx//font//signs//asterisk.png", 16, 30}},
    {'+', {"gfx//font//signs//plus.png", 20, 30}},
    {',', {"gfx//font//signs//comma.png", 12, 30}},
    {'-', {"gfx//font//signs//minus.png", 16, 30}},
    {'.', {"gfx//font//signs//period.png", 12, 30}},
    {'/', {"gfx//font//signs//slash.png", 16, 30}},
    {':', {"gfx//font//signs//colon.png", 12, 30}},
    {';', {"gfx//font//signs//semicolon.png", 12, 30}},
    {'<', {"gfx//font//signs//less.png", 20, 30}},
    {'=', {"gfx//font//signs//equals.png", 20, 30}},
    {'>', {"gfx//font//signs//greater.png", 20, 30}},
    {'?', {"gfx//font//signs//question.png", 20, 30}},
    {'@', {"gfx//font//signs//at.png", 24, 30}},
    {'[', {"gfx//font//signs//leftbracket.png", 16, 30}},
    {'\\', {"gfx//font//signs//backslash.png", 16, 30}},
    {']', {"gfx//font//signs//rightbracket.png", 16, 30}},
    {'^', {"gfx//font//signs//caret.png", 16, 30}},
    {'_', {"gfx//font//signs//underscore.png", 20, 30}},
    {'`', {"gfx//font//signs//grave.png", 12, 30}},
    {'{', {"gfx//font//signs//leftbrace.png", 16, 30}},
    {'|', {"gfx//font//signs//bar.png", 12, 30}},
    {'}', {"gfx//font//signs//rightbrace.png", 16, 30}},
    {'~', {"gfx//font//signs//tilde.png", 20, 30}},
};

// The controls screen: its backdrop, and its rows (the seven actions of play, then "reset all"),
// plain and highlighted, drawn from the left edge as wide as their words.
inline constexpr PictureFile ControlsBackgroundPicture{"gfx//controlsbkg.jpg", 1024, 768};
struct RowPictures {
    const char* Word;
    PictureFile Plain, Highlighted;
};
inline constexpr RowPictures ControlsRowPictures[8] = {
    {"LEFT", {"gfx//controls//left.png", 0, 45}, {"gfx//controls//left2.png", 0, 45}},
    {"RIGHT", {"gfx//controls//right.png", 0, 45}, {"gfx//controls//right2.png", 0, 45}},
    {"TURN", {"gfx//controls//turn.png", 0, 45}, {"gfx//controls//turn2.png", 0, 45}},
    {"SOFT DROP", {"gfx//controls//softdrop.png", 0, 45}, {"gfx//controls//softdrop2.png", 0, 45}},
    {"HARD DROP", {"gfx//controls//harddrop.png", 0, 45}, {"gfx//controls//harddrop2.png", 0, 45}},
    {"PAUSE", {"gfx//controls//pause.png", 0, 45}, {"gfx//controls//pause2.png", 0, 45}},
    {"CHANGE PIECE",
     {"gfx//controls//changepiece.png", 0, 45},
     {"gfx//controls//changepiece2.png", 0, 45}},
    {"RESET ALL", {"gfx//controls//resetall.png", 0, 45}, {"gfx//controls//resetall2.png", 0, 45}},
};

// Not one of the game's sprites: the window shows it, loaded as the window opens.
inline constexpr PictureFile IconPicture{"gfx//icon.png", 64, 64};

// The game's 126 sprites in the order it loads them, then the window icon: the 77 it has always
// had, then the signs and the controls screen's pictures.
inline constexpr size_t SpriteCount = 126;
inline constexpr std::array<PictureFile, SpriteCount + 1> EveryPicture = [] {
    std::array<PictureFile, SpriteCount + 1> all{};
    size_t count = 0;
    const auto add = [&](const PictureFile& picture) { all.at(count++) = picture; };
    add(TitlePicture);
    for (const PictureFile& letter : LetterPictures) add(letter);
    for (const PictureFile& backdrop : LevelBackgroundPictures) add(backdrop);
    for (const PictureFile& picture :
         {HudPicture,      ColonPicture,  StartPicture,  Start2Picture,  OptionsPicture,
          Options2Picture, ExitPicture,   Exit2Picture,  VolumePicture,  Volume2Picture,
          BombsPicture,    Bombs2Picture, ShadowPicture, Shadow2Picture, OnPicture,
          On2Picture,      OffPicture,    Off2Picture,   PreviewPicture, Preview2Picture,
          BonusPicture}) {
        add(picture);
    }
    for (const PictureFile& block : BlockPictures) add(block);
    add(ShadowBlockPicture);
    for (const PictureFile& digit : DigitPictures) add(digit);
    for (const SignPicture& sign : SignPictures) add(sign.File);
    add(ControlsBackgroundPicture);
    for (const RowPictures& row : ControlsRowPictures) {
        add(row.Plain);
        add(row.Highlighted);
    }
    add(IconPicture);
    if (count != all.size()) throw "every picture is listed once";
    return all;
}();

// --- Sounds ------------------------------------------------------------------------------

// Slots of the sound bank, numbered from 0 in this order.
enum SoundSlot : int32_t {
    SoundGameMusic = 0,
    SoundGameMusicLoop,
    SoundTitleMusic,
    SoundLine,
    SoundDrop,
    SoundBoo,
    SoundGroan,
    SoundGroan2,
    SoundOh,
    SoundCheer,
    SoundApplause1,
    SoundApplause2,
    SoundRotate,
    SoundExplode,
    SoundExplode2,
    SoundSlotCount,
};

// The sound bank's files, by slot.
inline constexpr const char* SoundFiles[SoundSlotCount] = {
    "sfx\\bgm.mp3",    "sfx\\bgm2.mp3",    "sfx\\bgm3.mp3",      "sfx\\line.wav",
    "sfx\\drop.wav",   "sfx\\boo.wav",     "sfx\\groan.wav",     "sfx\\groan2.wav",
    "sfx\\oh.wav",     "sfx\\cheer1.wav",  "sfx\\applause1.wav", "sfx\\applause2.wav",
    "sfx\\rotate.wav", "sfx\\explode.wav", "sfx\\explode2.wav",
};

// --- Where a name's file lies ------------------------------------------------------------

// The file a name stands for, relative to the folder the game runs in: the names were written
// for another system, with "//" or "\" between folders, and each becomes one "/".
inline std::string RunFolderPath(std::string_view name) {
    std::string path;
    for (const char c : name) {
        const bool separator = c == '/' || c == '\\';
        if (separator && !path.empty() && path.back() == '/') continue;
        path += separator ? '/' : c;
    }
    return path;
}
