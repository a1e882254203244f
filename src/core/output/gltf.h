#pragma once

// The road mesh as glTF 2.0, for viewers, Blender and other engines. The scene holds one node
// named after the road with, below it, one node per mesh part (POSITION with its bounds,
// NORMAL, TEXCOORD_0, 32-bit indices; one material per texture, the texture's file name as
// the image's URI), one node per traffic curve (a LINE_STRIP of its control polygon) and an
// empty node per control point (position and rotation). Axes, units and winding are the i3d
// document's, which glTF shares. Positions and texture coordinates are the document's numbers
// (four decimals), as 32-bit floats relative to their node's translation, a whole metre near
// the middle of the part, so that map coordinates of several kilometres keep a tenth of a
// millimetre.
//
// The same mesh gives the same bytes on every system.

#include "mesh/road_mesh.h"
#include "output/document_sink.h"

#include <filesystem>
#include <optional>
#include <string>

namespace trassolin {

enum class GltfForm {
    Binary,   // .glb: the JSON and the binary buffer in one file
    Embedded, // .gltf: JSON text with the buffer as a base64 data URI
};

// By the file's extension, whatever its case: ".glb" or ".gltf"; none for any other name.
std::optional<GltfForm> gltfFormFor(const std::filesystem::path& file);

// The whole file handed to `sink` in pieces: the buffer is formatted straight into them and
// never exists as a whole. A .glb beyond 4 GiB throws TrassolinError.
void writeGltf(const RoadMesh& mesh, GltfForm form, const DocumentSink& sink);
std::string gltfBytes(const RoadMesh& mesh, GltfForm form);

// A file name as the URI of a glTF image: '\' as '/', and every byte but letters, digits,
// "-._~" and '/' percent-encoded ("bitte eingeben.dds" -> "bitte%20eingeben.dds").
std::string imageUri(const std::string& fileName);

} // namespace trassolin
