// behaviour_probe: what a window of the main window's class and styles and
// owned dialogs from the program's three templates are told, message by
// message, while a driver script plays input on them with the real X server
// and window manager. Built for 64-bit Windows (run under Wine) and on the
// Linux layer; the driver compares the two logs.
//
// Commands come from "commands.txt" in the working folder, one a line, read
// every 20 ms by a thread timer (its WM_TIMER reaches no window procedure);
// after each one the count carried out is written to "done.txt":
//   main                   create, show and update the window
//   dialog NAME TEMPLATE   an owned dialog; "@" lines give its controls'
//                          rectangles (dialog client coordinates) for the driver
//   destroy NAME, focus NAME, note TEXT (a "--" line in the log)
//   timer                  a timer due, three messages posted and the window
//                          invalidated: the order GetMessage takes them in
// Every message the probe's procedures receive goes to "messages.txt" as
// "WINDOW MESSAGE WPARAM LPARAM", handles named (main, panel, panel.1047),
// points as x,y, scroll codes and system commands by name.
#include <windows.h>

#include <stdio.h>
#include <string.h>
#include <unistd.h>

#include <map>
#include <string>

namespace {

FILE *logFile;
HWND mainWindow;
std::map<HWND, std::string> names;
int commandsDone;
std::string nextDialog;  // the name of the dialog being created

struct Name {
    UINT message;
    const char *name;
};
// Messages are named by number: the layer's windows.h defines only those the
// program uses.
// clang-format off
const Name messageNames[] = {
    {0x0001, "WM_CREATE"}, {0x0002, "WM_DESTROY"}, {0x0003, "WM_MOVE"}, {0x0005, "WM_SIZE"},
    {0x0006, "WM_ACTIVATE"}, {0x0007, "WM_SETFOCUS"}, {0x0008, "WM_KILLFOCUS"}, {0x000A, "WM_ENABLE"},
    {0x000C, "WM_SETTEXT"}, {0x000D, "WM_GETTEXT"}, {0x000E, "WM_GETTEXTLENGTH"}, {0x000F, "WM_PAINT"},
    {0x0010, "WM_CLOSE"}, {0x0013, "WM_QUERYOPEN"}, {0x001F, "WM_CANCELMODE"}, {0x0014, "WM_ERASEBKGND"},
    {0x0018, "WM_SHOWWINDOW"}, {0x001C, "WM_ACTIVATEAPP"}, {0x0020, "WM_SETCURSOR"}, {0x0021, "WM_MOUSEACTIVATE"},
    {0x0024, "WM_GETMINMAXINFO"}, {0x0028, "WM_NEXTDLGCTL"}, {0x0030, "WM_SETFONT"}, {0x0031, "WM_GETFONT"},
    {0x0046, "WM_WINDOWPOSCHANGING"}, {0x0047, "WM_WINDOWPOSCHANGED"}, {0x007F, "WM_GETICON"}, {0x0080, "WM_SETICON"},
    {0x0081, "WM_NCCREATE"}, {0x0082, "WM_NCDESTROY"}, {0x0083, "WM_NCCALCSIZE"}, {0x0084, "WM_NCHITTEST"},
    {0x0085, "WM_NCPAINT"}, {0x0086, "WM_NCACTIVATE"}, {0x0087, "WM_GETDLGCODE"}, {0x00A0, "WM_NCMOUSEMOVE"},
    {0x00A1, "WM_NCLBUTTONDOWN"}, {0x0100, "WM_KEYDOWN"}, {0x0101, "WM_KEYUP"}, {0x0102, "WM_CHAR"},
    {0x0104, "WM_SYSKEYDOWN"}, {0x0105, "WM_SYSKEYUP"}, {0x0106, "WM_SYSCHAR"}, {0x0110, "WM_INITDIALOG"},
    {0x0111, "WM_COMMAND"}, {0x0112, "WM_SYSCOMMAND"}, {0x0113, "WM_TIMER"}, {0x0115, "WM_VSCROLL"},
    {0x0116, "WM_INITMENU"}, {0x0127, "WM_CHANGEUISTATE"}, {0x0128, "WM_UPDATEUISTATE"}, {0x0129, "WM_QUERYUISTATE"},
    {0x0133, "WM_CTLCOLOREDIT"}, {0x0135, "WM_CTLCOLORBTN"}, {0x0136, "WM_CTLCOLORDLG"}, {0x0137, "WM_CTLCOLORSCROLLBAR"},
    {0x0138, "WM_CTLCOLORSTATIC"}, {0x0200, "WM_MOUSEMOVE"}, {0x0201, "WM_LBUTTONDOWN"}, {0x0202, "WM_LBUTTONUP"},
    {0x0203, "WM_LBUTTONDBLCLK"}, {0x0204, "WM_RBUTTONDOWN"}, {0x0205, "WM_RBUTTONUP"}, {0x0210, "WM_PARENTNOTIFY"},
    {0x0211, "WM_ENTERMENULOOP"}, {0x0212, "WM_EXITMENULOOP"}, {0x0215, "WM_CAPTURECHANGED"}, {0x0231, "WM_ENTERSIZEMOVE"},
    {0x0232, "WM_EXITSIZEMOVE"}, {0x0281, "WM_IME_SETCONTEXT"}, {0x0282, "WM_IME_NOTIFY"}, {0x0285, "WM_IME_SELECT"},
    {0x030F, "WM_QUERYNEWPALETTE"}, {0x0311, "WM_PALETTECHANGED"}, {0x0400, "WM_USER"}, {0x0401, "WM_USER+1"},
    {0x0402, "WM_USER+2"},
};
// clang-format on
const char *const scrollCodes[] = {"SB_LINEUP",     "SB_LINEDOWN", "SB_PAGEUP", "SB_PAGEDOWN", "SB_THUMBPOSITION",
                                   "SB_THUMBTRACK", "SB_TOP",      "SB_BOTTOM", "SB_ENDSCROLL"};
const Name systemCommands[] = {{0xF000, "SC_SIZE"},     {0xF010, "SC_MOVE"},  {0xF020, "SC_MINIMIZE"},
                               {0xF030, "SC_MAXIMIZE"}, {0xF060, "SC_CLOSE"}, {0xF100, "SC_KEYMENU"},
                               {0xF120, "SC_RESTORE"}};

std::string hex(UINT_PTR value) {
    char text[32];
    snprintf(text, sizeof text, "%llx", (unsigned long long)value);
    return text;
}

std::string nameOf(const Name *table, size_t count, UINT value) {
    for (size_t i = 0; i < count; i++)
        if (table[i].message == value) return table[i].name;
    return "0x" + hex(value);
}

// A window by the name the probe gave it, or its parent's name and its id.
std::string handleName(HWND hwnd) {
    if (!hwnd) return "0";
    auto it = names.find(hwnd);
    if (it != names.end()) return it->second;
    HWND parent = GetParent(hwnd);
    if (parent && names.count(parent)) return names[parent] + "." + std::to_string(GetDlgCtrlID(hwnd));
    return "other";
}

HWND handleByName(const std::string &name) {
    for (auto &entry : names)
        if (entry.second == name) return entry.first;
    return nullptr;
}

std::string point(LPARAM lParam) {
    return std::to_string((short)LOWORD(lParam)) + "," + std::to_string((short)HIWORD(lParam));
}

// One message as a log line: what each parameter means, not its bits, where
// it holds a handle, a point or a code.
void logMessage(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    std::string w = hex(wParam), l = hex(lParam);
    switch (msg) {
    case 0x0001:  // WM_CREATE, WM_NCCREATE: a pointer to the creation data
    case 0x0081:
    case 0x0024:  // WM_GETMINMAXINFO, WM_WINDOWPOS*, WM_NCCALCSIZE
    case 0x0046:
    case 0x0047:
    case 0x0083:
        l = "ptr";
        break;
    case 0x0007:  // WM_SETFOCUS, WM_KILLFOCUS, WM_INITDIALOG: the other window
    case 0x0008:
    case 0x0110:
        w = handleName((HWND)wParam);
        break;
    case 0x0030:  // WM_SETFONT
        w = "hfont";
        break;
    case 0x0014:  // WM_ERASEBKGND and WM_CTLCOLOR*: a DC and a control
    case 0x0135:
    case 0x0136:
    case 0x0137:
    case 0x0138:
        w = "hdc";
        l = handleName((HWND)lParam);
        break;
    case 0x0006:  // WM_ACTIVATE, WM_CAPTURECHANGED, WM_COMMAND: the other window
    case 0x0215:
    case 0x0111:
        l = handleName((HWND)lParam);
        break;
    case 0x0115:  // WM_VSCROLL: code, position and the bar, whose position follows
        w = std::string(LOWORD(wParam) <= 8 ? scrollCodes[LOWORD(wParam)] : "?") + " " + std::to_string(HIWORD(wParam));
        l = handleName((HWND)lParam) + " at " + std::to_string(GetScrollPos((HWND)lParam, SB_CTL));
        break;
    case 0x0112:  // WM_SYSCOMMAND
        w = nameOf(systemCommands, sizeof systemCommands / sizeof *systemCommands, (UINT)(wParam & 0xFFF0));
        break;
    case 0x0113:  // WM_TIMER: the timer procedure, if any
        l = lParam ? "proc" : "0";
        break;
    default:
        if (msg >= 0x0200 && msg <= 0x020D) l = point(lParam);  // mouse messages
        break;
    }
    fprintf(logFile, "%s %s %s %s\n", handleName(hwnd).c_str(),
            nameOf(messageNames, sizeof messageNames / sizeof *messageNames, msg).c_str(), w.c_str(), l.c_str());
    fflush(logFile);
}

// The main window: a drag holds the capture, as the trackball and the light do.
LRESULT CALLBACK mainProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (!names.count(hwnd)) names[hwnd] = "main";
    logMessage(hwnd, msg, wParam, lParam);
    switch (msg) {
    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN:
        SetCapture(hwnd);
        return 0;
    case WM_LBUTTONUP:
    case WM_RBUTTONUP:
        ReleaseCapture();
        return 0;
    case WM_DESTROY:
        PostQuitMessage(0);
        return 0;
    default:
        return DefWindowProcA(hwnd, msg, wParam, lParam);
    }
}

// The dialogs: the scroll bars follow their thumbs and start in the middle,
// as the colours dialog's do; the panel ignores a close, the others go.
INT_PTR CALLBACK dialogProc(HWND dialog, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (!names.count(dialog)) names[dialog] = nextDialog;
    logMessage(dialog, msg, wParam, lParam);
    switch (msg) {
    case WM_INITDIALOG:
        for (HWND child = GetWindow(dialog, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
            if (SetScrollRange(child, SB_CTL, 0, 255, FALSE)) SetScrollPos(child, SB_CTL, 128, FALSE);
        }
        return TRUE;
    case WM_VSCROLL:
        if (LOWORD(wParam) == SB_THUMBTRACK || LOWORD(wParam) == SB_THUMBPOSITION)
            SetScrollPos((HWND)lParam, SB_CTL, HIWORD(wParam), TRUE);
        return TRUE;
    case WM_CLOSE:
        if (names[dialog] != "panel") DestroyWindow(dialog);
        return TRUE;
    default:
        return FALSE;
    }
}

// Where the driver finds each control: "@ panel.1047 x y w h" in the dialog's
// client coordinates, and a scroll bar's arrow and thumb.
void printControls(HWND dialog) {
    POINT origin = {0, 0};
    ClientToScreen(dialog, &origin);
    for (HWND child = GetWindow(dialog, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
        RECT r;
        GetWindowRect(child, &r);
        fprintf(logFile, "@ %s %ld %ld %ld %ld", handleName(child).c_str(), (long)(r.left - origin.x),
                (long)(r.top - origin.y), (long)(r.right - r.left), (long)(r.bottom - r.top));
        SCROLLBARINFO info;
        memset(&info, 0, sizeof info);
        info.cbSize = sizeof info;
        if (GetScrollBarInfo(child, OBJID_CLIENT, &info))
            fprintf(logFile, " arrow %d thumb %d %d", info.dxyLineButton, info.xyThumbTop, info.xyThumbBottom);
        fprintf(logFile, "\n");
    }
    fflush(logFile);
}

// A timer falls due while three messages are posted and the window needs
// painting; GetMessage says in which order it takes them.
void timerOrder() {
    SetTimer(mainWindow, 7, 10, nullptr);
    usleep(50000);
    PostMessageA(mainWindow, WM_USER, 0, 0);
    PostMessageA(mainWindow, WM_USER + 1, 0, 0);
    InvalidateRect(mainWindow, nullptr, FALSE);
    PostMessageA(mainWindow, WM_USER + 2, 0, 0);
    MSG msg;
    for (int i = 0; i < 5 && GetMessageA(&msg, mainWindow, 0, 0) > 0; i++) {
        DispatchMessageA(&msg);
        if (msg.message == WM_TIMER) break;
    }
    KillTimer(mainWindow, 7);
}

void runCommand(const std::string &line) {
    std::string verb = line.substr(0, line.find(' '));
    std::string rest = line.size() > verb.size() ? line.substr(verb.size() + 1) : "";
    if (verb == "main") {
        fprintf(logFile, "-- create main\n");
        WNDCLASSA wc = {};
        wc.style = CS_OWNDC | CS_HREDRAW | CS_VREDRAW;
        wc.lpfnWndProc = mainProc;
        wc.hInstance = GetModuleHandleA(nullptr);
        wc.hCursor = LoadCursorA(nullptr, IDC_ARROW);
        wc.lpszClassName = "OpenGL";
        RegisterClassA(&wc);
        mainWindow =
            CreateWindowExA(0, "OpenGL", "behaviour probe", WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN | WS_CLIPSIBLINGS, 0,
                            0, 600, 500, nullptr, nullptr, wc.hInstance, nullptr);
        fprintf(logFile, "-- show main\n");
        ShowWindow(mainWindow, SW_SHOWNORMAL);
        fprintf(logFile, "-- update main\n");
        UpdateWindow(mainWindow);
    } else if (verb == "dialog") {
        std::string name = rest.substr(0, rest.find(' '));
        fprintf(logFile, "-- create %s\n", name.c_str());
        nextDialog = name;
        HWND dialog = CreateDialogParamA(GetModuleHandleA(nullptr), rest.substr(name.size() + 1).c_str(), mainWindow,
                                         dialogProc, 0);
        if (dialog) printControls(dialog);
        fprintf(logFile, "-- %s focus %s\n", name.c_str(), handleName(GetFocus()).c_str());
    } else if (verb == "destroy") {
        fprintf(logFile, "-- destroy %s\n", rest.c_str());
        DestroyWindow(handleByName(rest));
    } else if (verb == "focus") {
        SetFocus(handleByName(rest));
    } else if (verb == "note") {
        fprintf(logFile, "-- %s\n", rest.c_str());
    } else if (verb == "timer") {
        fprintf(logFile, "-- timer\n");
        timerOrder();
    }
    fflush(logFile);
}

// Carries out the commands not yet done.
void CALLBACK pollCommands(HWND, UINT, UINT_PTR, DWORD) {
    FILE *in = fopen("commands.txt", "rb");
    if (!in) return;
    char line[512];
    int number = 0;
    while (fgets(line, sizeof line, in)) {
        if (!strchr(line, '\n')) break;  // still being written
        if (++number <= commandsDone) continue;
        line[strcspn(line, "\r\n")] = 0;
        runCommand(line);
        commandsDone = number;
        FILE *done = fopen("done.txt", "wb");
        if (done) {
            fprintf(done, "%d\n", commandsDone);
            fclose(done);
        }
    }
    fclose(in);
}

}  // namespace

int main() {
    logFile = fopen("messages.txt", "wb");
    if (!logFile) return 1;
    SetTimer(nullptr, 0, 20, pollCommands);
    MSG msg;
    while (GetMessageA(&msg, nullptr, 0, 0) > 0) {
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
    fprintf(logFile, "-- exit %d\n", (int)msg.wParam);
    fclose(logFile);
    return 0;
}
