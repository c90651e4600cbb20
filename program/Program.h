#pragma once

namespace levyc {

// The whole program: answers --help and --version without a display, else
// opens the window and runs until it is closed. Returns the exit status.
int RunProgram(int argc, char *argv[]);

} // namespace levyc
