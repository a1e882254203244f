// Any bytes as a parameter file: what loads, saved back into it and loaded again, has the same
// values and texts, and from then on a save writes back exactly what it read.
//
// One exception to the first: a verge's computed normals (NormaleMan=0) are worked out on
// load from the segment angles as read. The file keeps angles to two decimals, so a file with
// more decimals than Trassolin writes gives normals that differ in the last decimal after its
// first save; the second save is the first one's to the byte.

#include "settings/ini_file.h"
#include "settings/parameter_file.h"
#include "uGlobal/errors.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <sstream>
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

// The same without the normals' lines, which the first save may settle.
std::string withoutNormals(const std::string& text) {
    std::istringstream lines(text);
    std::string out, line;
    while (std::getline(lines, line)) {
        const bool normal = line.starts_with("Normale") && !line.starts_with("NormaleMan");
        if (!normal) out += line + '\n';
    }
    return out;
}

// As the window saves: into the file the set came from, which keeps whatever else it holds.
std::string savedInto(std::string_view bytes, const ParameterSet& set) {
    IniFile file(bytes);
    saveParameterSet(file, set, ',');
    return file.encoded();
}

// What was saved always loads.
ParameterSet loaded(const std::string& saved, MessageSink& messages) {
    ParameterSet set;
    try {
        loadParameterSet(IniFile(saved), set, messages);
    } catch (const TrassolinError&) {
        std::abort();
    }
    return set;
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
    std::string saved;
    try {
        saved = savedInto(bytes, first);
    } catch (const FloatingPointError&) {
        return 0; // a value that loads but overflows on the way back (1E308 degrees)
    }
    const ParameterSet second = loaded(saved, messages);
    if (withoutNormals(everything(first)) != withoutNormals(everything(second))) std::abort();
    const std::string settled = savedInto(saved, second);
    const ParameterSet third = loaded(settled, messages);
    if (everything(second) != everything(third)) std::abort();
    if (savedInto(settled, third) != settled) std::abort();
    return 0;
}
