#pragma once

// Parameter files: the whole parameter set apart from the run-only values, as INI text.
// Saves update an existing file in place and replace it all or nothing; loads apply each
// value as they read it, so a value that is no number stops the load with a ConversionError
// and leaves what was read before applied. The error's `where` names the section and key,
// and the file when the load read one.

#include "settings/ini_file.h"
#include "settings/parameter_set.h"
#include "uGlobal/messages.h"

#include <filesystem>
#include <string_view>

namespace trassolin {

inline constexpr std::string_view kRightEdgePrefix = "Rand_rechts";
inline constexpr std::string_view kLeftEdgePrefix = "Rand_links";

// Counts beyond these stop a load before anything is resized: a damaged file must not make
// the program allocate without end. A real verge has a handful of segments.
inline constexpr int kMaxEdgeSegments = 1'000;

// Reals from memory are written with `decimalSeparator`; field texts as they stand.
void saveParameterSet(IniFile& ini, const ParameterSet& set, char decimalSeparator);
// Runs the main window's check-box reactions as it sets the boxes: random mirroring and
// reset exclude each other, the end-face fill stays on only while both edges are on.
void loadParameterSet(const IniFile& ini, ParameterSet& set, MessageSink& messages);

void saveEdgeProfile(IniFile& ini, const TRandPunkte& edge, std::string_view prefix,
                     char decimalSeparator);
// A negative nSegments counts as 0, so the origin point always stays.
void loadEdgeProfile(const IniFile& ini, TRandPunkte& edge, std::string_view prefix,
                     MessageSink& messages);

void saveSplinePoints(IniFile& ini, const TSplinePunkte& points, char decimalSeparator);
// An Anzahl of 0 or less empties the set; current becomes 0; the import path is kept.
void loadSplinePoints(const IniFile& ini, TSplinePunkte& points);

void saveFill(IniFile& ini, const TFuellFlaeche& fill, char decimalSeparator);
void loadFill(const IniFile& ini, TFuellFlaeche& fill);

// IoError "In %s kann nicht geschrieben werden" when the file cannot be replaced; the file
// is then unchanged.
void saveParameterFile(const std::filesystem::path& file, const ParameterSet& set,
                       char decimalSeparator);
// IoError when the file cannot be read (a missing file included); TrassolinError "%s ist keine
// Parameterdatei" when it holds none of the sections a parameter file has.
void loadParameterFile(const std::filesystem::path& file, ParameterSet& set, MessageSink& messages);

enum class EdgeSide { Right, Left };
// The "Load Parameter für … Rand" buttons: both read the right edge's sections of the file,
// so a left edge can be taken over from the right edge of another road.
void loadEdgeFromParameterFile(const std::filesystem::path& file, ParameterSet& set, EdgeSide side,
                               MessageSink& messages);

} // namespace trassolin
