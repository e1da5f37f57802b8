// Other processes of the program: asking one to end, and learning in the main
// loop that this one was asked to end (a signal turned into a readable pipe).
#pragma once

#include <string>
#include <sys/types.h>

// Sends SIGTERM; the process ends gracefully if it watches the termination
// pipe. False when there is no such process or it may not be signalled.
bool RequestProcessEnd(pid_t pid);

// The file name (without folder) of the program a process runs; empty when it
// cannot be learnt.
std::string ProcessExecutableName(pid_t pid);

// True when pid is another live process running a program of this one's name.
bool IsOtherInstanceOfThisProgram(pid_t pid);

// Installs handlers for SIGTERM, SIGINT and SIGHUP that write the signal number
// into a pipe, and returns the pipe's read end (non-blocking) for the main loop
// to watch; -1 on failure. Calling it again returns the same descriptor.
int OpenTerminationPipe();

// Reads what the pipe holds; returns the last signal number, 0 if none.
int ReadTerminationSignal(int fd);
