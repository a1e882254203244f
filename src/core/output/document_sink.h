#pragma once

#include <functional>
#include <string_view>

namespace trassolin {

// Receives a document's bytes in order, piece by piece; a writer never holds a document whole.
using DocumentSink = std::function<void(std::string_view)>;

} // namespace trassolin
