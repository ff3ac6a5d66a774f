// layout_probe: prints how the program's three dialog templates come out,
// one fact a line, so that the table of a Windows run (under Wine) and the
// table of a run on the Linux layer can be compared line by line.
//
// Every fact comes from ordinary Win32 calls: window and client rectangles
// (relative to the owner's client origin for the dialog, to the dialog's
// client origin for its controls), styles, the dialog base units, the focus
// after creation and after a click, each text's extent in the dialog's font,
// the word-wrapped texts' DrawText rectangles and line breaks, and the
// geometry of the scroll bars.
//
// Line breaks are found with DrawText alone: the line count of every prefix
// of the text ("profile"), and the lines cut where that count grows at the
// end of a word (blank-separated, or ending in a hyphen).
#include <windows.h>

#include <stdio.h>
#include <string.h>

#include <string>

namespace {

const char *const templateNames[] = {"ColorScrDlg", "ColorScrDlg1", "ColorScrDlg3"};

// The owner: a plain window whose client origin everything is measured from.
const int ownerX = 0, ownerY = 0, ownerWidth = 1000, ownerHeight = 800;

INT_PTR CALLBACK quietDlgProc(HWND, UINT msg, WPARAM, LPARAM) {
    return msg == WM_INITDIALOG;
}

LRESULT CALLBACK ownerProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    return DefWindowProcA(hwnd, msg, wParam, lParam);
}

// A rectangle in the client coordinates of another window.
RECT rectIn(HWND of, HWND reference, bool client) {
    RECT r;
    if (client) {
        GetClientRect(of, &r);
        POINT p = {0, 0};
        ClientToScreen(of, &p);
        OffsetRect(&r, p.x, p.y);
    } else {
        GetWindowRect(of, &r);
    }
    POINT origin = {0, 0};
    ClientToScreen(reference, &origin);
    OffsetRect(&r, -origin.x, -origin.y);
    return r;
}

void printRect(const char *prefix, const RECT &r) {
    printf("%s %ld %ld %ld %ld\n", prefix, (long)r.left, (long)r.top, (long)r.right, (long)r.bottom);
}

std::string className(HWND hwnd) {
    char name[64] = {};
    GetClassNameA(hwnd, name, sizeof name);
    for (char *c = name; *c; c++)
        if (*c >= 'a' && *c <= 'z') *c = (char)(*c - 'a' + 'A');
    return name;
}

// The id of a control, or "none" for the dialog itself and no window.
std::string idOf(HWND dialog, HWND hwnd) {
    if (!hwnd) return "none";
    if (hwnd == dialog) return "dialog";
    return std::to_string((int)(short)GetDlgCtrlID(hwnd));
}

// Lines of a text that DrawText wraps within width, with the dialog's font.
int lineCount(HDC dc, const char *text, int length, int width, int lineHeight) {
    if (length == 0) return 0;
    RECT r = {0, 0, width, 0};
    DrawTextA(dc, text, length, &r, DT_CALCRECT | DT_WORDBREAK | DT_NOPREFIX);
    return lineHeight > 0 ? (int)(r.bottom / lineHeight) : 0;
}

void printWrap(const std::string &key, HDC dc, const std::string &text, int width) {
    TEXTMETRICA metrics;
    GetTextMetricsA(dc, &metrics);
    int lineHeight = (int)metrics.tmHeight;
    RECT r = {0, 0, width, 0};
    DrawTextA(dc, text.c_str(), (int)text.size(), &r, DT_CALCRECT | DT_WORDBREAK | DT_NOPREFIX);
    printf("%s wraps in %d: %ld x %ld\n", key.c_str(), width, (long)r.right, (long)r.bottom);
    std::string profile;
    std::string lines = "\"";
    int lastCount = 1;
    size_t lineStart = 0;
    for (size_t k = 1; k <= text.size(); k++) {
        int count = lineCount(dc, text.c_str(), (int)k, width, lineHeight);
        profile += (char)('0' + count % 10);
        // Only a prefix that ends with a blank or a whole word says where the
        // full text breaks: a cut word may still fit where the whole does not.
        bool blank = text[k - 1] == ' ';
        bool wordEnd = !blank && (k == text.size() || text[k] == ' ' || text[k - 1] == '-');
        if ((!blank && !wordEnd) || count <= lastCount) continue;
        // The blank, or the word ending at k, starts the new line.
        size_t cut = k - 1;
        while (!blank && cut > lineStart && text[cut - 1] != ' ' && text[cut - 1] != '-') cut--;
        lines += text.substr(lineStart, cut - lineStart) + "\" \"";
        lineStart = cut;
        lastCount = count;
    }
    lines += text.substr(lineStart) + "\"";
    printf("%s profile %s\n", key.c_str(), profile.c_str());
    printf("%s lines %s\n", key.c_str(), lines.c_str());
}

void printScrollBar(const std::string &key, HWND bar) {
    const int positions[] = {0, 128, 255};
    SetScrollRange(bar, SB_CTL, 0, 255, FALSE);
    for (int pos : positions) {
        SetScrollPos(bar, SB_CTL, pos, FALSE);
        SCROLLBARINFO info;
        memset(&info, 0, sizeof info);
        info.cbSize = sizeof info;
        if (!GetScrollBarInfo(bar, OBJID_CLIENT, &info)) {
            printf("%s scroll at %d: no info\n", key.c_str(), pos);
            continue;
        }
        printf("%s scroll at %d: arrows %d thumb %d %d\n", key.c_str(), pos, info.dxyLineButton, info.xyThumbTop,
               info.xyThumbBottom);
    }
    SetScrollPos(bar, SB_CTL, 128, FALSE);
}

// A click on a button as the mouse gives it: press and release at its centre.
void click(HWND button) {
    RECT r;
    GetClientRect(button, &r);
    LPARAM at = MAKELPARAM(r.right / 2, r.bottom / 2);
    SendMessageA(button, WM_LBUTTONDOWN, MK_LBUTTON, at);
    SendMessageA(button, WM_LBUTTONUP, 0, at);
}

void probeTemplate(HWND owner, const char *name) {
    HWND dialog = CreateDialogParamA(GetModuleHandleA(nullptr), name, owner, quietDlgProc, 0);
    if (!dialog) {
        printf("%s: not created\n", name);
        return;
    }
    std::string key = name;
    printRect((key + " window").c_str(), rectIn(dialog, owner, false));
    printRect((key + " client").c_str(), rectIn(dialog, owner, true));
    RECT units = {0, 0, 4, 8};
    MapDialogRect(dialog, &units);
    printf("%s base units %ld x %ld\n", name, (long)units.right, (long)units.bottom);
    printf("%s style %08lx ex %08lx\n", name, (unsigned long)(DWORD)GetWindowLongA(dialog, GWL_STYLE),
           (unsigned long)(DWORD)GetWindowLongA(dialog, GWL_EXSTYLE));
    printf("%s focus %s\n", name, idOf(dialog, GetFocus()).c_str());

    HFONT font = (HFONT)SendMessageA(dialog, WM_GETFONT, 0, 0);
    HDC dc = GetDC(dialog);
    HGDIOBJ oldFont = SelectObject(dc, font);
    char text[256];
    GetWindowTextA(dialog, text, sizeof text);
    SIZE size;
    GetTextExtentPoint32A(dc, text, (int)strlen(text), &size);
    printf("%s caption \"%s\" extent %ld x %ld\n", name, text, (long)size.cx, (long)size.cy);

    HWND lastButton = nullptr;
    int index = 0;
    for (HWND child = GetWindow(dialog, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
        index++;
        std::string cls = className(child);
        std::string item = key + " " + std::to_string(index) + " " + cls + " " + idOf(dialog, child);
        printRect((item + " window").c_str(), rectIn(child, dialog, false));
        printRect((item + " client").c_str(), rectIn(child, dialog, true));
        DWORD style = (DWORD)GetWindowLongA(child, GWL_STYLE);
        printf("%s style %08lx ex %08lx\n", item.c_str(), (unsigned long)style,
               (unsigned long)(DWORD)GetWindowLongA(child, GWL_EXSTYLE));
        if (cls == "SCROLLBAR") {
            printScrollBar(item, child);
            continue;
        }
        GetWindowTextA(child, text, sizeof text);
        if ((cls == "STATIC" && (style & SS_TYPEMASK) == SS_ICON) || !*text) continue;
        GetTextExtentPoint32A(dc, text, (int)strlen(text), &size);
        printf("%s extent \"%s\" %ld x %ld\n", item.c_str(), text, (long)size.cx, (long)size.cy);
        if (cls == "STATIC" && (style & SS_TYPEMASK) == SS_LEFT) {
            RECT client;
            GetClientRect(child, &client);
            printWrap(item, dc, text, (int)client.right);
        }
        bool pushButton = cls == "BUTTON" && (style & BS_TYPEMASK) <= BS_DEFPUSHBUTTON;
        if (pushButton && (style & WS_VISIBLE)) lastButton = child;
    }
    SelectObject(dc, oldFont);
    ReleaseDC(dialog, dc);

    // A click gives the clicked button the focus (the last visible one, so
    // that it is not the one that had it from the start).
    if (lastButton) {
        click(lastButton);
        printf("%s focus after a click on %s: %s\n", name, idOf(dialog, lastButton).c_str(),
               idOf(dialog, GetFocus()).c_str());
    }
    DestroyWindow(dialog);
}

}  // namespace

int main() {
    WNDCLASSA wc = {};
    wc.lpfnWndProc = ownerProc;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.lpszClassName = "LayoutProbeOwner";
    RegisterClassA(&wc);
    HWND owner = CreateWindowExA(0, wc.lpszClassName, "layout probe", WS_OVERLAPPEDWINDOW | WS_VISIBLE, ownerX, ownerY,
                                 ownerWidth, ownerHeight, nullptr, nullptr, wc.hInstance, nullptr);
    if (!owner) {
        printf("no owner window\n");
        return 1;
    }
    for (const char *name : templateNames) probeTemplate(owner, name);
    DestroyWindow(owner);
    return 0;
}
