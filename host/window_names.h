// How the host names and finds the tool's windows: the main dialog ("main"),
// its pages (by run-time class name, "CSet1"…), their controls ("main:1013",
// "CSet1:1009"), the navigation bar's OK button and the open message box.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "platform/wintypes.h"

namespace host {

// The main dialog (the application's main window), or null.
HWND MainDialog();

// The run-time class name of a page window ("CSet1"); nullopt for a window
// that is not one of the main dialog's pages.
std::optional<std::string> PageName(HWND hwnd);

// The main dialog's pages, in tab order.
std::vector<HWND> Pages();

// The page with this name, or null.
HWND FindPage(const std::string& name);

// "main", "main:1013", "CSet1", "CSet1:1009", "msgbox" for the open message
// box; other windows by class name.
std::string WindowName(HWND hwnd);

// The OK button of the navigation bar, or null when it has none.
HWND NavigationBarOk();

// The OK button of the open message box, or null when none is open.
HWND MessageBoxOk();

}  // namespace host
