#include "common/system_locale.h"

#include <windows.h>

namespace trassolin::gui {

char userDecimalSeparator() {
    // Up to three characters and the terminator, as the regional settings allow.
    wchar_t separator[4] = {};
    if (GetLocaleInfoEx(LOCALE_NAME_USER_DEFAULT, LOCALE_SDECIMAL, separator, 4) == 0) return '.';
    // Another character (an Arabic decimal sign, a blank) is no separator of parameter files.
    return separator[0] == L',' && separator[1] == L'\0' ? ',' : '.';
}

} // namespace trassolin::gui
