// msgbox.cpp: MessageBoxA. The box itself is the backend's (qvbMessageBox);
// where none can be shown, the words still reach the person on stderr.
//
// Implemented: the buttons of MB_OK, MB_OKCANCEL, MB_YESNO, MB_YESNOCANCEL,
//   MB_RETRYCANCEL and MB_ABORTRETRYIGNORE (qvMessageBoxButtons, which the
//   backend labels its box with), Windows' caption "Error" when none is
//   given, and the first button's id when no box could be shown.
// Left out: MB_DEFBUTTON*, MB_HELP, owner disabling.
#include "qv_internal.h"

#include <string>

QvMessageBoxButtons qvMessageBoxButtons(UINT type) {
    switch (type & MB_TYPEMASK) {
    case MB_OKCANCEL:
        return {2, {IDOK, IDCANCEL, 0}, {"OK", "Cancel", nullptr}};
    case MB_ABORTRETRYIGNORE:
        return {3, {IDABORT, IDRETRY, IDIGNORE}, {"Abort", "Retry", "Ignore"}};
    case MB_YESNOCANCEL:
        return {3, {IDYES, IDNO, IDCANCEL}, {"Yes", "No", "Cancel"}};
    case MB_YESNO:
        return {2, {IDYES, IDNO, 0}, {"Yes", "No", nullptr}};
    case MB_RETRYCANCEL:
        return {2, {IDRETRY, IDCANCEL, 0}, {"Retry", "Cancel", nullptr}};
    default:
        return {1, {IDOK, 0, 0}, {"OK", nullptr, nullptr}};
    }
}

extern "C" int WINAPI MessageBoxA(HWND owner, LPCSTR text, LPCSTR caption, UINT type) {
    if (!text) text = "";
    if (!caption) caption = "Error";  // Windows' caption when none is given
    if (int pressed = qvbMessageBox(owner, text, caption, type)) return pressed;
    // Nowhere to show it: the words still reach the person.
    std::string words = std::string(caption) + ": " + text;
    if (!words.empty() && words.back() == '\n') words.pop_back();
    qvErrorLine(words);
    return qvMessageBoxButtons(type).ids[0];
}
