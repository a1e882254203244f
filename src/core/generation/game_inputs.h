#pragma once

// What a run reads of the [Spiel] section and of the AI road's limits in [KI]: the game
// generation the document is meant for and what it asks of the road's shapes.

#include "settings/parameter_set.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace trassolin {

enum class GameProfile { None, FS25, FS22 };

struct GameInputs {
    GameProfile profile = GameProfile::None;
    bool bridge = false;
    // As the user gave them; empty where the key is empty or the profile does not use it.
    std::optional<std::uint32_t> group, mask, vergeGroup, vergeMask;
    double clipDistance = 500.0; // m
    bool castsShadows = false;
    bool normalMaps = false;
    double chunkLength = 0.0; // m; 0: the mesh stays one shape
    // The AI road's group; read only while it is written (KIStrassenspline and a curve on).
    std::optional<double> maxWidth, maxTurningRadius, maxHeight; // m
    // What the run says about values it does not write (a collision group for FS22), for
    // the status log.
    std::vector<std::string> notes;
};

// The collision presets of the current game generation: ROAD, CAMERA_BLOCKING,
// PLACEMENT_BLOCKING, GROUND_TIP_BLOCKING and AI_DRIVABLE for a road; the bridge preset; both
// collide with everything but TERRAIN_DISPLACEMENT.
inline constexpr std::uint32_t kRoadCollisionGroup = 0x601c;
inline constexpr std::uint32_t kBridgeCollisionGroup = 0x207c;
inline constexpr std::uint32_t kRoadCollisionMask = 0xfffffbff;

// Chunks shorter than this would give an editor thousands of shapes for a road.
inline constexpr double kMinChunkLength = 10.0;

// Reads the values; one that the game cannot take stops the run with a TrassolinError naming
// section and key (a text that is no number: a ConversionError, located the same way).
// `aiRoad`: the AI road's group is written, so its limits are read.
GameInputs readGameInputs(const ParameterSet& params, bool aiRoad, char decimalSeparator);

// [KI] MaxWenderadius alone, m; none while empty. For the check of the curves, which reads it
// whether the AI road is written or not.
std::optional<double> readMaxTurningRadius(const ParameterSet& params);

} // namespace trassolin
