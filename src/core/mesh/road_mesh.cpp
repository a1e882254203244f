#include "mesh/road_mesh.h"

#include "uGlobal/checked_math.h"

#include <algorithm>
#include <utility>

namespace trassolin {

void BoundingBox::include(double x, double y, double z) {
    const double p[3] = {x, y, z};
    for (std::size_t i = 0; i < 3; ++i) {
        if (min[i] > p[i]) min[i] = p[i];
        if (max[i] < p[i]) max[i] = p[i];
    }
}

void BoundingBox::include(const BoundingBox& other) {
    for (std::size_t i = 0; i < 3; ++i) {
        min[i] = std::min(min[i], other.min[i]);
        max[i] = std::max(max[i], other.max[i]);
    }
}

MeshPart::MeshPart(PartKind kind, std::string name, std::size_t material, std::uint32_t rowLength)
    : kind_(kind), name_(std::move(name)), material_(material), rowLength_(rowLength) {}

void MeshPart::beginSection(double station) {
    sections_.push_back({station, vertexCount(), 0, triangleCount(), 0});
}

std::uint32_t MeshPart::addVertex(const TPunkt& p) {
    // In the order a document writes them, so the first number that could not be written
    // names the failure.
    for (double value : {p.x, p.y, p.z, p.nx, p.ny, p.nz, p.u, p.v}) requireFinite(value);
    const std::uint32_t index = vertexCount();
    vertices_.push_back({p.x, p.y, p.z, p.nx, p.ny, p.nz, p.u, p.v});
    bounds_.include(p.x, p.y, p.z);
    if (!sections_.empty()) ++sections_.back().vertexCount;
    return index;
}

void MeshPart::addTriangle(std::uint32_t a, std::uint32_t b, std::uint32_t c) {
    triangles_.push_back({a, b, c});
    if (!sections_.empty()) ++sections_.back().triangleCount;
}

void MeshCurve::add(const Vec3& position) {
    for (double value : position) requireFinite(value);
    controlVertices.push_back(position);
}

BoundingBox RoadMesh::bounds() const {
    BoundingBox box;
    for (const MeshPart& part : parts) box.include(part.bounds());
    return box;
}

std::uint64_t RoadMesh::vertexCount() const {
    std::uint64_t n = 0;
    for (const MeshPart& part : parts) n += part.vertexCount();
    return n;
}

std::uint64_t RoadMesh::triangleCount() const {
    std::uint64_t n = 0;
    for (const MeshPart& part : parts) n += part.triangleCount();
    return n;
}

const MeshPart* RoadMesh::find(PartKind kind) const {
    for (const MeshPart& part : parts) {
        if (part.kind() == kind) return &part;
    }
    return nullptr;
}

} // namespace trassolin
