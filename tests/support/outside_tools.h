// Programs of the Linux host that judge files the program wrote (ImageMagick, netpbm, libtiff's
// tools), run from a test under Wine: the shell starts them and leaves their output and exit
// status in files that the test waits for.
#pragma once

#include <string>

// True under Wine with ImageMagick present; tests that need the tools skip without them.
bool OutsideToolsAvailable();

// The host's path of a file the test names by its Windows path; empty when there is none.
std::string HostPath(const std::string& windowsPath);

struct OutsideRun {
    int status = -1;      // the command's exit status; -1 when it did not finish in time
    std::string output;   // its standard output and error
};
// Runs a command of the host's shell (no double quotes in it). Waits for it to finish, up to
// two minutes (ten under the emulator).
OutsideRun RunOutsideTool(const std::string& command);
