// The generated pictures and sounds, loaded the way the game loads them: through the real SDL
// layer, from the folder the game runs in.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>

#include "app/application.h"
#include "game/assets.h"
#include "game/sound_bank.h"
#include "game/state.h"
#include "platform/renderer.h"
#include "platform/sdl/sdl_platform_impl.h"

namespace {

TEST(GeneratedAssetsTest, EveryPictureAndSoundLoadsThroughTheRealLayerWithoutAComplaint) {
    const std::filesystem::path previous = std::filesystem::current_path();
    std::filesystem::current_path(ZANTORVIX_RUN_DIR);
    setenv("SDL_VIDEODRIVER", "dummy", 0);
    setenv("SDL_AUDIODRIVER", "dummy", 0);
    {
        SdlPlatform sdl(SdlPlatformOptions{.VSync = false});
        SetPlatform(&sdl);
        ASSERT_TRUE(CreateRenderer());

        testing::internal::CaptureStderr();
        LoadTitleSprites();
        LoadGameSprites();
        LoadSoundBank();
        const std::string errors = testing::internal::GetCapturedStderr();
        EXPECT_EQ(errors, "");

        // Every sprite of the set (a record of nothing but sprites, in the order they load)
        // holds a real texture of the listed size.
        const Sprite* first = reinterpret_cast<const Sprite*>(&Sprites);
        const size_t count = sizeof(SpriteSet) / sizeof(Sprite);
        ASSERT_EQ(count, 126u);
        ASSERT_EQ(count, SpriteCount);
        for (size_t i = 0; i < count; ++i) {
            const Sprite& sprite = first[i];
            const PictureFile& file = EveryPicture[i];
            SCOPED_TRACE(file.Name);
            ASSERT_NE(sprite.Name, nullptr);
            EXPECT_STREQ(sprite.Name, file.Name);
            EXPECT_NE(sprite.Texture, 0);
            EXPECT_GT(sprite.Width, 0);
            EXPECT_GT(sprite.Height, 0);
            if (file.Width > 0) {
                EXPECT_EQ(sprite.Width, file.Width);
            }
            if (file.Height > 0) {
                EXPECT_EQ(sprite.Height, file.Height);
            }
        }
        for (int32_t slot = 0; slot < SoundSlotCount; ++slot) {
            EXPECT_GE(SoundBank[slot], 0) << SoundFiles[slot];
        }
        ReleaseSprites();
        ReleaseRenderer();
        SetPlatform(nullptr);
    }
    std::filesystem::current_path(previous);
}

}  // namespace
