#pragma once

// The program started with arguments: the report or the usage on the standard streams, no window.
// The streams are the handles it inherited (a file or a pipe of the caller, the console of
// kestrel.com); without them, the console of the program that started it. Returns the report's
// exit status.
int CommandLineMain(int argc, wchar_t* argv[]);
