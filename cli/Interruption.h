// Ending on Ctrl-C (or SIGTERM, SIGHUP) without leaving temporary files behind.
// The in-place writer registers each temporary file while it exists; on a
// signal a watcher thread removes those that were not yet renamed into place
// and ends the process with status 128 + the signal's number. A rename that
// has begun finishes first, so a file is always either old or new.
#pragma once

#include <functional>
#include <string>

namespace qmcli
{

// Blocks the signals in every thread and starts the watcher. Call once, from
// main, before any other thread starts.
void InstallInterruptionCleanup();

// Runs step (which renames or removes the temporary file) while no signal can
// end the process, then forgets the file.
void RegisterTemporaryFile(const std::string& path);
void FinishTemporaryFile(const std::string& path, const std::function<void()>& step);

} // namespace qmcli
