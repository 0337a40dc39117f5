#pragma once

// The program started with arguments: the report or the usage on the standard streams, with no
// QApplication and nothing of the windowing system, so that it runs over ssh with no display.
// Ends the process with the report's exit status.
[[noreturn]] void CommandLineMain(int argc, char* argv[]);
