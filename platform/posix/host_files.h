// The steps of the POSIX file module that differ by host: on a Linux desktop the disk is the
// whole of it (linux/host_files.cpp); a page's player folder lives in memory and is kept in the
// browser's own storage, which outlives the page and which every tab of the site shares
// (browser/host_files.cpp).
#pragma once

#include <string>

// Called before the file at path is read: in a page, a file of the player's is brought up to
// date from the browser's storage, where another tab may have saved it since.
void RefreshBeforeReading(const char* path);

// Makes what was written through the open file or folder `fd` survive a power cut; false when it
// cannot. A page leaves it to FinishSave: there a flush writes the whole folder to the browser's
// storage, over what another tab saved since this one started.
bool FlushToDisk(int fd);

// Called once `path` has been replaced; false, with the reason in error, when the save cannot
// be finished.
bool FinishSave(const char* path, std::string& error);
