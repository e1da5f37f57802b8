// Ending on Ctrl-C (or SIGTERM, SIGHUP) without leaving temporary files behind.
// A watcher thread waits for the signals; on one it removes the temporary
// files of rewrites that were not yet put in place (platform's
// TemporaryFiles) and ends the process with status 128 + the signal's number.
// A rename that has begun finishes first, so a file is always either old or
// new. SIGXFSZ is ignored, so that a file-size limit makes a write fail with
// an error instead of killing the process.
#pragma once

namespace qmcli
{

// Blocks the signals in every thread and starts the watcher. Call once, from
// main, before any other thread starts.
void InstallInterruptionCleanup();

} // namespace qmcli
