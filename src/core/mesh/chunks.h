#pragma once

// A long road in pieces the engine can cull and clip one by one: every part split at
// cross-sections of the path, so that each piece covers about `length` metres of it.

#include "mesh/road_mesh.h"

#include <cstddef>

namespace trassolin {

// The chunk a cross-section at `station` (m) belongs to: chunk k ends at (k + 1) * length, so
// a section standing exactly there is the last of chunk k and the first chunk begins at 0.
std::size_t chunkOf(double station, double length);

// Replaces every part by its chunks, in chunk order and, within a chunk, in the order of the
// parts; each named after its part and its chunk counted from 1 ("Fahrbahn 3"), so that the
// pieces of one stretch share their number. A chunk holds the triangles of the cross-sections
// of its stretch and the vertices they use, no other: the vertices of the seam, where the first
// triangles of a chunk reach back into the previous one, are copies, so each chunk stands
// alone, with its own bounds. Together the chunks hold exactly the triangles of the part, at the same
// positions, normals and texture coordinates; a stretch whose sections close no triangle
// gives no piece. A part without cross-sections stays whole as chunk 1. The curves and control points stay as they are. `length` must be above 0.
// Returns the number of chunks that hold a piece.
std::size_t splitIntoChunks(RoadMesh& mesh, double length);

} // namespace trassolin
