// In the page the player's folder lives in memory and is written through to the browser's own
// storage (IndexedDB; see storage.js), so that a closed tab keeps every save the game has made.
#include "platform/posix/finish_save.h"

#include <emscripten.h>

#include <cstdlib>

namespace {

// Writes the page's file system through to IndexedDB and waits until it is there. "" or the
// reason.
// clang-format off
EM_ASYNC_JS(char*, PersistBrowserStorage, (), {
    const reason = await new Promise(function(done) {
        FS.syncfs(false, function(error) { done(error ? String(error.message || error) : ""); });
    });
    const size = lengthBytesUTF8(reason) + 1;
    const text = _malloc(size);
    stringToUTF8(reason, text, size);
    return text;
});
// clang-format on

}  // namespace

bool FinishSave(const char*, std::string& error) {
    char* reason = PersistBrowserStorage();
    const bool kept = reason[0] == '\0';
    if (!kept) error = std::string("cannot keep it in the browser's storage: ") + reason;
    std::free(reason);
    return kept;
}
