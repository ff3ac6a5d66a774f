// The control panel and the two dialogs it opens.
#pragma once

#include <windows.h>

// The names of the three dialog templates in res/quelvaro.rc.
const char panelTemplate[] = "ColorScrDlg";
const char optionsTemplate[] = "ColorScrDlg1";
const char colorsTemplate[] = "ColorScrDlg3";

INT_PTR CALLBACK PanelDlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
INT_PTR CALLBACK OptionsDlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
INT_PTR CALLBACK ColorsDlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
