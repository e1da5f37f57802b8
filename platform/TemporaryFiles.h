// The temporary files that exist while a file is being replaced, so that a
// process ended by a signal can remove them first. The command line's signal
// watcher uses RemoveTemporaryFilesForExit; without one, the list is kept
// but never used.
#pragma once

#include <functional>
#include <string>

void RegisterTemporaryFile(const std::string& sPath);
// Runs step (which renames the temporary file into place, or removes it)
// while no signal handler can remove files, then forgets the file.
void FinishTemporaryFile(const std::string& sPath, const std::function<void()>& step);
// Removes every registered file and keeps the list locked, so that no rename
// starts afterwards: for a handler that then ends the process.
void RemoveTemporaryFilesForExit();
