// sdl_main.cpp: the C runtime's start-up for a Win32 program, on Linux.
//
// Implemented: main() runs the layer's start-up (display check, SDL, malloc
// tuning), starts opening the dialogs' fonts, then calls WinMain(instance, no previous instance, the command
// line, SW_SHOWDEFAULT) and leaves through exit() with its result, so exit
// handlers run as they do after a Windows program's WinMain.
// Left out: STARTUPINFO's show command (there is none to inherit here).
#define SDL_MAIN_HANDLED
#include "../core/qv_internal.h"

#include <cstdlib>
#include <string>

int main(int argc, char **argv) {
    qvStartup();
    // The dialogs' fonts get ready on a second thread while WinMain loads OpenGL.
    qvPrefetchDialogFonts();
    // The command line without the program's name, as WinMain gets it.
    static std::string commandLine;
    for (int i = 1; i < argc; i++) {
        if (i > 1) commandLine += ' ';
        commandLine += argv[i];
    }
    std::exit(WinMain(GetModuleHandleA(nullptr), nullptr, &commandLine[0], SW_SHOWDEFAULT));
}
