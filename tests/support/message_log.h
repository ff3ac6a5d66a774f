// Expected message sequences, Wine style: a recording window procedure logs
// what a window receives, and a checker walks the log against a constant
// table, printing "index: expected X, got Y" and both lists when they differ.
#pragma once

#include <windows.h>

#include <gtest/gtest.h>

#include <cstddef>
#include <string>
#include <vector>

// Row flags: which parts of a row are compared, and whether it may be absent.
enum : unsigned {
    anyWParam = 1u << 0,
    anyLParam = 1u << 1,
    anyParams = anyWParam | anyLParam,
    optionalRow = 1u << 2,  // skipped when the log does not have it here
};

struct ExpectedMessage {
    UINT message;
    WPARAM wParam;
    LPARAM lParam;
    unsigned flags;
};

struct LoggedMessage {
    HWND hwnd;
    UINT message;
    WPARAM wParam;
    LPARAM lParam;
};

// The log every recording window procedure appends to.
std::vector<LoggedMessage> &messageLog();
void clearMessageLog();
// Appends a line that tests use as a marker ("before the call returned").
void logMarker(UINT marker);

// Logs the message, then passes it to DefWindowProcA.
LRESULT CALLBACK recordingWndProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
// Registers recordingWndProc under className with the given class style
// (once per process and name).
void registerRecordingClass(const char *className, UINT classStyle);

// The message's WM_ name, or its number in hex.
std::string messageName(UINT message);

// Compares the log (only messages to hwnd, or all when hwnd is null) with
// the table.
::testing::AssertionResult matchesSequence(const ExpectedMessage *table, size_t rows,
                                           const std::vector<LoggedMessage> &log, HWND hwnd = nullptr);

template <size_t N>
::testing::AssertionResult matchesSequence(const ExpectedMessage (&table)[N], const std::vector<LoggedMessage> &log,
                                           HWND hwnd = nullptr) {
    return matchesSequence(table, N, log, hwnd);
}
