// Any bytes as a parameter file: what loads, saved back into it and loaded again, has the same
// values and texts, and saving that again writes the same bytes.

#include "settings/ini_file.h"
#include "settings/parameter_file.h"
#include "uGlobal/errors.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

namespace {

using namespace trassolin;

// Every value and text of the set as a new file holds it.
std::string everything(const ParameterSet& set) {
    IniFile file;
    saveParameterSet(file, set, '.');
    return file.encoded();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    CollectingMessageSink messages;
    ParameterSet first;
    try {
        loadParameterSet(IniFile(bytes), first, messages);
    } catch (const ConversionError&) {
        return 0; // a value that is no number: the file does not load
    }
    // As the window saves: into the file the set came from, which keeps whatever else it holds.
    IniFile file(bytes);
    try {
        saveParameterSet(file, first, ',');
    } catch (const FloatingPointError&) {
        return 0; // a value that loads but overflows on the way back (1E308 degrees)
    }
    const std::string saved = file.encoded();
    ParameterSet second;
    try {
        loadParameterSet(IniFile(saved), second, messages);
    } catch (const TrassolinError&) {
        std::abort(); // what was saved always loads
    }
    if (everything(first) != everything(second)) std::abort();
    IniFile again(saved);
    saveParameterSet(again, second, ',');
    if (again.encoded() != saved) std::abort();
    return 0;
}
