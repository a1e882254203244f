#pragma once

// The three commands of trassolin-cli, once the command line has been read. Each returns the
// exit status; a command that stops says so in its last line on stderr.

#include <filesystem>

namespace trassolin::cli {

// 0: everything written; 1: the command stopped and its target is as it was (or absent);
// 2: the command line asks for something the tool will not do.
inline constexpr int kComplete = 0;
inline constexpr int kStopped = 1;
inline constexpr int kUsage = 2;
// 3: generate --write-texl0 replaced the document, but the parameter file could not take the
// new TexL0 at the very last step.
inline constexpr int kDocumentOnly = 3;

int initCommand(const std::filesystem::path& parameterFile, char decimalSeparator);

// A missing parameter file is created from the start values. With `directions`, every point's
// heading and climb are computed from its neighbours right after the import.
int importSplinesCommand(const std::filesystem::path& exportFile,
                         const std::filesystem::path& parameterFile, char decimalSeparator,
                         bool directions);

// Heading and climb of every spline point of the parameter file from its neighbours.
int directionsCommand(const std::filesystem::path& parameterFile, char decimalSeparator);

// With a `gltf` file, the road is written there too (.glb or .gltf, checked by the caller);
// the documents replace their old files only once all are complete.
int generateCommand(const std::filesystem::path& parameterFile, const std::filesystem::path& output,
                    char decimalSeparator, bool writeTexL0,
                    const std::filesystem::path& gltf = {});

} // namespace trassolin::cli
