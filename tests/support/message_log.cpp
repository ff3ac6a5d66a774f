#include "support/message_log.h"

#include <cstdio>
#include <set>
#include <sstream>

namespace {

std::vector<LoggedMessage> theLog;

struct NamedMessage {
    UINT message;
    const char *name;
};

const NamedMessage messageNames[] = {
    {WM_NULL, "WM_NULL"},
    {WM_CREATE, "WM_CREATE"},
    {WM_DESTROY, "WM_DESTROY"},
    {WM_MOVE, "WM_MOVE"},
    {WM_SIZE, "WM_SIZE"},
    {WM_ACTIVATE, "WM_ACTIVATE"},
    {WM_SETFOCUS, "WM_SETFOCUS"},
    {WM_KILLFOCUS, "WM_KILLFOCUS"},
    {WM_ENABLE, "WM_ENABLE"},
    {WM_SETTEXT, "WM_SETTEXT"},
    {WM_GETTEXT, "WM_GETTEXT"},
    {WM_GETTEXTLENGTH, "WM_GETTEXTLENGTH"},
    {WM_PAINT, "WM_PAINT"},
    {WM_CLOSE, "WM_CLOSE"},
    {WM_QUIT, "WM_QUIT"},
    {WM_ERASEBKGND, "WM_ERASEBKGND"},
    {WM_SHOWWINDOW, "WM_SHOWWINDOW"},
    {WM_SETFONT, "WM_SETFONT"},
    {WM_NCCREATE, "WM_NCCREATE"},
    {WM_NCDESTROY, "WM_NCDESTROY"},
    {WM_KEYDOWN, "WM_KEYDOWN"},
    {WM_KEYUP, "WM_KEYUP"},
    {WM_CHAR, "WM_CHAR"},
    {WM_INITDIALOG, "WM_INITDIALOG"},
    {WM_COMMAND, "WM_COMMAND"},
    {WM_SYSCOMMAND, "WM_SYSCOMMAND"},
    {WM_TIMER, "WM_TIMER"},
    {WM_HSCROLL, "WM_HSCROLL"},
    {WM_VSCROLL, "WM_VSCROLL"},
    {WM_MOUSEMOVE, "WM_MOUSEMOVE"},
    {WM_LBUTTONDOWN, "WM_LBUTTONDOWN"},
    {WM_LBUTTONUP, "WM_LBUTTONUP"},
    {WM_LBUTTONDBLCLK, "WM_LBUTTONDBLCLK"},
    {WM_RBUTTONDOWN, "WM_RBUTTONDOWN"},
    {WM_RBUTTONUP, "WM_RBUTTONUP"},
    {WM_RBUTTONDBLCLK, "WM_RBUTTONDBLCLK"},
    {WM_MBUTTONDOWN, "WM_MBUTTONDOWN"},
    {WM_MBUTTONUP, "WM_MBUTTONUP"},
    {WM_CAPTURECHANGED, "WM_CAPTURECHANGED"},
    {WM_QUERYNEWPALETTE, "WM_QUERYNEWPALETTE"},
    {WM_PALETTECHANGED, "WM_PALETTECHANGED"},
};

std::string describeRow(const ExpectedMessage &row) {
    std::ostringstream out;
    out << messageName(row.message) << " w=";
    if (row.flags & anyWParam)
        out << "any";
    else
        out << "0x" << std::hex << row.wParam << std::dec;
    out << " l=";
    if (row.flags & anyLParam)
        out << "any";
    else
        out << "0x" << std::hex << row.lParam << std::dec;
    if (row.flags & optionalRow) out << " (optional)";
    return out.str();
}

std::string describeLogged(const LoggedMessage &m) {
    std::ostringstream out;
    out << messageName(m.message) << " w=0x" << std::hex << m.wParam << " l=0x" << m.lParam;
    return out.str();
}

bool rowMatches(const ExpectedMessage &row, const LoggedMessage &m) {
    return row.message == m.message && ((row.flags & anyWParam) || row.wParam == m.wParam) &&
           ((row.flags & anyLParam) || row.lParam == m.lParam);
}

}  // namespace

std::vector<LoggedMessage> &messageLog() {
    return theLog;
}

void clearMessageLog() {
    theLog.clear();
}

void logMarker(UINT marker) {
    theLog.push_back(LoggedMessage{nullptr, marker, 0, 0});
}

LRESULT CALLBACK recordingWndProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    theLog.push_back(LoggedMessage{hwnd, message, wParam, lParam});
    return DefWindowProcA(hwnd, message, wParam, lParam);
}

void registerRecordingClass(const char *className, UINT classStyle) {
    static std::set<std::string> registered;
    if (!registered.insert(className).second) return;
    WNDCLASSA wc = {};
    wc.style = classStyle;
    wc.lpfnWndProc = recordingWndProc;
    wc.lpszClassName = className;
    RegisterClassA(&wc);
}

std::string messageName(UINT message) {
    for (const NamedMessage &named : messageNames)
        if (named.message == message) return named.name;
    char text[32];
    std::snprintf(text, sizeof text, "0x%04x", message);
    return text;
}

::testing::AssertionResult matchesSequence(const ExpectedMessage *table, size_t rows,
                                           const std::vector<LoggedMessage> &all, HWND hwnd) {
    std::vector<LoggedMessage> log;
    for (const LoggedMessage &m : all)
        if (!hwnd || m.hwnd == hwnd || m.hwnd == nullptr) log.push_back(m);
    std::ostringstream problem;
    size_t row = 0, index = 0;
    while (row < rows && index < log.size()) {
        if (rowMatches(table[row], log[index])) {
            row++;
            index++;
        } else if (table[row].flags & optionalRow) {
            row++;
        } else {
            problem << index << ": expected " << describeRow(table[row]) << ", got " << describeLogged(log[index]);
            break;
        }
    }
    if (problem.str().empty()) {
        while (row < rows && (table[row].flags & optionalRow)) row++;
        if (row < rows)
            problem << index << ": expected " << describeRow(table[row]) << ", got nothing";
        else if (index < log.size())
            problem << index << ": expected nothing, got " << describeLogged(log[index]);
    }
    if (problem.str().empty()) return ::testing::AssertionSuccess();
    problem << "\nexpected:\n";
    for (size_t i = 0; i < rows; i++) problem << "  " << i << " " << describeRow(table[i]) << "\n";
    problem << "got:\n";
    for (size_t i = 0; i < log.size(); i++) problem << "  " << i << " " << describeLogged(log[i]) << "\n";
    return ::testing::AssertionFailure() << problem.str();
}
