#pragma once

// A long road in pieces the engine can cull and clip one by one: every part cut at
// cross-sections of the path, so that each piece covers about `length` metres of it.

#include "mesh/road_mesh.h"

#include <cstddef>
#include <vector>

namespace trassolin {

// The chunk a cross-section at `station` (m) belongs to: chunk k ends at (k + 1) * length, so
// a section standing exactly there is the last of chunk k and the first chunk begins at 0.
std::size_t chunkOf(double station, double length);

// The chunks of every part, in chunk order and, within a chunk, in the order of the parts;
// each named after its part and its chunk counted from 1 ("Fahrbahn 3"), so that the pieces
// of one stretch share their number. A chunk holds the triangles of the cross-sections of its
// stretch and the vertices they use: the seam, where its first triangles reach back into the
// previous stretch, as copies, so each chunk stands alone, with its own bounds; its own
// vertices end with the last one its triangles use (a texture reset writes the last row of a
// stretch twice, the second for the next stretch). Together the chunks hold exactly the
// triangles of the parts, at the same positions, normals and texture coordinates. A stretch
// that closes no triangle gives no chunk; a part without cross-sections is one chunk, whole.
// `length` must be above 0.
std::vector<MeshChunk> chunksOf(const RoadMesh& mesh, double length);

} // namespace trassolin
