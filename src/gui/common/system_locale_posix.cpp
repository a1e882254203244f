#include "common/system_locale.h"

#include "uGlobal/numbers.h"

namespace trassolin::gui {

char userDecimalSeparator() { return environmentDecimalSeparator(); }

} // namespace trassolin::gui
