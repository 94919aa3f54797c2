#include "platform/renderer.h"

bool CreateRenderer() {
    return CurrentPlatform().OpenDisplay("Zantorvix");
}

void ReleaseRenderer() {
    CurrentPlatform().CloseDisplay();
}

void BeginFrame() {
    CurrentPlatform().BeginFrame();
}

void EndFrame() {
    Platform& platform = CurrentPlatform();
    platform.EndFrame();
    if (platform.WindowCloseRequested()) throw WindowClosed{};
}

void PreparePicture(const char* file) {
    CurrentPlatform().PreparePicture(file);
}

void PreparePictureOnDemand(const char* file) {
    CurrentPlatform().PreparePictureOnDemand(file);
}

void Sprite::Load(const char* name) {
    Name = name;
    Width = 0;
    Height = 0;
    Texture = CurrentPlatform().LoadTexture(name, &Width, &Height);
    ThrowIfWindowClosed();  // a close during loading ends the program at once
}

void Sprite::LoadOnDemand(const char* name) {
    Name = name;
    Width = 0;
    Height = 0;
    Texture = CurrentPlatform().LoadTextureOnDemand(name, &Width, &Height);
    ThrowIfWindowClosed();
}

void Sprite::Want(bool wanted) const {
    if (Texture != 0) CurrentPlatform().WantTexture(Texture, wanted);
}

void Sprite::Draw(int32_t x, int32_t y, uint32_t colour) const {
    if (Texture == 0) return;
    CurrentPlatform().DrawTexture(Texture, x, y, Width, Height, colour);
}

void Sprite::Release() {
    if (Texture != 0) CurrentPlatform().ReleaseTexture(Texture);
    Texture = 0;
}
