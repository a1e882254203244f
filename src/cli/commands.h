#pragma once

// The three commands of trassolin-cli, once the command line has been read. Each returns the
// exit status; a command that stops says so in its last line on stderr.

#include "terrain/flattened_ground.h"
#include "terrain/map_terrain.h"

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
// 1 for pruefen: the check has findings (or could not build the road).
inline constexpr int kFindings = 1;

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

// Builds the road in memory and checks its traffic curves; writes nothing. 0: "Keine Befunde";
// 1: findings, or the road could not be built.
int checkCommand(const std::filesystem::path& parameterFile, char decimalSeparator);
// What `gelaende` is asked to do.
struct TerrainRequest {
    std::filesystem::path parameterFile;
    GroundSource ground;
    bool placePoints = false; // every control point's Y onto the ground plus `offset`
    double offset = 0.0;      // m
    double tolerance = 0.1;   // m above or below the ground before the exit status is 1
    // The files asked for; empty: not asked. None names an input or another output.
    std::filesystem::path csv;       // the heights at every station
    std::filesystem::path flattened; // the height map fitted to the road
    std::filesystem::path mask;      // the road's footprint
    FlattenOptions flatten;
    int maskSize = 0; // pixels on a side; 0: those of the height map
};

// Reads the ground of a map (or a height map) and describes it on stdout; on request puts the
// control points of the parameter file on it (only their Y lines change); measures the road
// against it and reports on stdout where it floats or sinks; writes the files asked for. Every
// file is replaced only once all are complete. kStopped also when the road is beyond the
// tolerance, with every file written.
int terrainCommand(const TerrainRequest& request, char decimalSeparator);

} // namespace trassolin::cli
