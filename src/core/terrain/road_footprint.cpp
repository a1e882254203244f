#include "terrain/road_footprint.h"

#include "generation/build.h"

#include <optional>

namespace trassolin {

namespace {

// The status lines of a run say nothing about the ground.
class UnheardLog final : public StatusLog {
public:
    void clear() override {}
    void append(std::string_view) override {}
};

std::vector<Vec3> positions(const MeshPart& part) {
    std::vector<Vec3> out;
    out.reserve(part.vertexCount());
    part.vertices().forEach(0, part.vertexCount(), [&](const MeshVertex& v) {
        out.push_back({v.x, v.y, v.z});
    });
    return out;
}

void addSurfaces(const MeshPart& part, const std::vector<Vec3>& at,
                 std::vector<SurfaceTriangle>& out) {
    part.triangles().forEach(0, part.triangleCount(), [&](const MeshTriangle& t) {
        out.push_back({at[t.a], at[t.b], at[t.c]});
    });
}

// The points of every cross-section: `pick(i, section)` says which line vertex i of the
// section lies on (nullopt: none).
template <class Pick>
void addPoints(const MeshPart& part, const std::vector<Vec3>& at, std::vector<RoadPoint>& out,
               Pick&& pick) {
    part.sections().forEach(0, part.sections().size(), [&](const CrossSection& s) {
        for (std::uint32_t i = s.firstVertex; i < s.firstVertex + s.vertexCount; ++i) {
            if (const std::optional<ClearanceLine> line = pick(i, s)) {
                out.push_back({*line, s.station, at[i][0], at[i][1], at[i][2]});
            }
        }
    });
}

void addBorderPoints(const MeshPart& road, const std::vector<Vec3>& at,
                     std::vector<RoadPoint>& out) {
    std::vector<RoadBorder> borders;
    borders.reserve(road.vertexCount());
    road.borders().forEach(0, road.borders().size(), [&](RoadBorder b) { borders.push_back(b); });
    if (borders.size() != at.size()) return; // a surface made without its borders
    // A texture seam repeats the last vertex of both borders in the next section; where the
    // road stands there is the earlier section's.
    std::optional<std::uint32_t> last[2];
    addPoints(road, at, out,
              [&](std::uint32_t i, const CrossSection&) -> std::optional<ClearanceLine> {
                  const bool right = borders[i] == RoadBorder::Right;
                  std::optional<std::uint32_t>& previous = last[right ? 0 : 1];
                  const bool repeated = previous && at[*previous] == at[i];
                  previous = i;
                  if (repeated) return std::nullopt;
                  return right ? ClearanceLine::RoadRight : ClearanceLine::RoadLeft;
              });
}

void addOuterEnds(const MeshPart& verge, ClearanceLine line, const std::vector<Vec3>& at,
                  std::vector<RoadPoint>& out) {
    const std::uint32_t row = verge.rowLength();
    if (row == 0) return;
    // A section holds one row of profile points, or two alike at a texture seam; measuring
    // keeps one point of a line per station.
    addPoints(verge, at, out,
              [&](std::uint32_t i, const CrossSection& s) -> std::optional<ClearanceLine> {
                  if ((i - s.firstVertex) % row != row - 1) return std::nullopt;
                  return line;
              });
}

} // namespace

RoadFootprint roadFootprint(const RoadMesh& mesh) {
    RoadFootprint footprint;
    if (const MeshPart* road = mesh.find(PartKind::RoadSurface)) {
        const std::vector<Vec3> at = positions(*road);
        addBorderPoints(*road, at, footprint.points);
        addSurfaces(*road, at, footprint.surfaces);
    }
    footprint.roadTriangles = footprint.surfaces.size();
    for (const auto& [kind, line] :
         {std::pair{PartKind::RightVerge, ClearanceLine::RightVergeOuter},
          std::pair{PartKind::LeftVerge, ClearanceLine::LeftVergeOuter}}) {
        if (const MeshPart* verge = mesh.find(kind)) {
            const std::vector<Vec3> at = positions(*verge);
            addOuterEnds(*verge, line, at, footprint.points);
            addSurfaces(*verge, at, footprint.surfaces);
        }
    }
    return footprint;
}

RoadFootprint roadFootprint(ParameterSet& params, MessageSink& messages, RandomSequence random,
                            char decimalSeparator, const EdgeFieldReader& readEdgeFields) {
    UnheardLog unheard;
    if (!startRun(params, messages, unheard, decimalSeparator)) throw RunStopped{};
    const RunInputs in = readRunInputs(params, unheard, decimalSeparator, readEdgeFields);
    return roadFootprint(buildRoadMesh(params, in, messages, unheard, random).mesh);
}

} // namespace trassolin
