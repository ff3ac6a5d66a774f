// sdl_main.cpp: the C runtime's start-up for a Win32 program, on Linux.
//
// Implemented: main() calls WinMain(instance, no previous instance, the
// command line, SW_SHOWDEFAULT) and leaves through exit() with its result.
// Left out: STARTUPINFO's show command (there is none to inherit here).
#include <windows.h>

#include <cstdlib>

int main(int argc, char **argv) {
    (void)argc;
    static char emptyCommandLine[] = "";
    LPSTR commandLine = argc > 1 ? argv[1] : emptyCommandLine;
    std::exit(WinMain(GetModuleHandleA(nullptr), nullptr, commandLine, SW_SHOWDEFAULT));
}
