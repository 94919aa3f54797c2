// The last step of a save on POSIX, which differs by host: on a Linux desktop the flushed file
// and folder are the end of it (linux/finish_save.cpp); a page must also put the file into the
// browser's own storage, which outlives the page (browser/finish_save.cpp).
#pragma once

#include <string>

// Called once `path` has been replaced; false, with the reason in error, when the save cannot
// be finished.
bool FinishSave(const char* path, std::string& error);
