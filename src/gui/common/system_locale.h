#pragma once

namespace trassolin::gui {

// The decimal separator the window shows and writes by default: what the user chose for
// numbers in the system's own settings. On Linux that is the environment locale (LC_ALL,
// LC_NUMERIC, LANG); Windows keeps it in the user's regional settings, which no environment
// variable reflects. Always ',' or '.', the two separators every reader accepts.
char userDecimalSeparator();

} // namespace trassolin::gui
