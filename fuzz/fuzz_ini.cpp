// Any bytes as a settings file: reading never fails, and what a save writes reads back to the
// same text (a second save gives the same bytes).

#include "settings/ini_file.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    trassolin::IniFile ini(bytes);
    (void)ini.find("Fahrbahn_Geo", "Breite");
    (void)ini.readInteger("Splines", "Anzahl", 2);
    try {
        ini.writeString("Fahrbahn_Textur", "TexL0", "0,25");
    } catch (const std::exception&) {
        std::abort(); // a value without a line break is always accepted
    }
    const std::string once = ini.encoded();
    const std::string twice = trassolin::IniFile(once).encoded();
    if (once != twice) std::abort();
    return 0;
}
