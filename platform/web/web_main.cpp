// web_main.cpp: the C runtime's start-up for a Win32 program, in the page.
//
// Implemented: main() runs the layer's start-up, starts opening the
// dialogs' fonts, then calls WinMain(instance, no previous instance, an
// empty command line, SW_SHOWDEFAULT). Built with ASYNCIFY, WinMain's
// endless GetMessage or PeekMessage loop runs unchanged: every wait
// (GetMessage, SwapBuffers, Sleep) hands the page its event loop. When
// WinMain returns, the page says "quelvaro ended with status N" (#status).
// Left out: a command line (a page has none; the URL's query could be one).
#include "../core/qv_internal.h"

int main() {
    qvbStartup();
    qvPrefetchDialogFonts();
    static char commandLine[] = "";
    int status = WinMain(GetModuleHandleA(nullptr), nullptr, commandLine, SW_SHOWDEFAULT);
    qvWebEnded(status);
    return status;
}
