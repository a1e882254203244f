#include "common/text_rendering.h"

#include <QByteArray>
#include <QtGlobal>

#include <windows.h>

namespace trassolin::gui {

void chooseTextRendering() {
    if (qEnvironmentVariableIsSet("QT_QPA_PLATFORM")) return;
    // Wine's ntdll has this export; Windows' has not.
    const HMODULE ntdll = GetModuleHandleW(L"ntdll.dll");
    if (ntdll == nullptr || GetProcAddress(ntdll, "wine_get_version") == nullptr) return;
    qputenv("QT_QPA_PLATFORM", QByteArrayLiteral("windows:fontengine=freetype"));
}

} // namespace trassolin::gui
