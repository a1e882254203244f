#include "generation/build.h"

#include "generation/edges.h"
#include "generation/fill_phase.h"
#include "generation/road.h"
#include "generation/road_texture.h"
#include "generation/traffic.h"
#include "uGlobal/numbers.h"

#include <optional>
#include <string>

namespace trassolin {

namespace {

std::size_t addMaterial(RoadMesh& mesh, const char* name, const std::string& texture) {
    mesh.materials.push_back({name, texture});
    return mesh.materials.size() - 1;
}

} // namespace

RoadBuild buildRoadMesh(ParameterSet& params, const RunInputs& in, MessageSink& messages,
                        StatusLog& log, RandomSequence& random, RunProgress* progress) {
    RoadBuild built;
    RoadMesh& mesh = built.mesh;
    mesh.name = params.strassenName;
    for (const TSplinePkt& p : params.splines.points()) {
        mesh.controlPoints.push_back({{p.X, p.Y, p.Z}, {p.Xrot, p.Yrot, p.Zrot}});
    }
    // One material per texture, in the order of the i3d document's files.
    std::size_t roadMaterial = 0, rightMaterial = 0, leftMaterial = 0, fillMaterial = 0;
    if (in.road) roadMaterial = addMaterial(mesh, "road_diffuse", params.texturFileName);
    if (in.rightEdge) {
        rightMaterial = addMaterial(mesh, "rightEdge_diffuse", params.rechterRand.textureFileName);
    }
    if (in.leftEdge) {
        leftMaterial = addMaterial(mesh, "leftEdge_diffuse", params.linkerRand.textureFileName);
    }
    if (in.fill) fillMaterial = addMaterial(mesh, "Front_mat", params.fill.textureFile);
    // Every part the switches ask for, so that the parts stay where they are while built.
    mesh.parts.reserve(5);

    MeshPart* road = nullptr;
    if (in.road) road = &mesh.parts.emplace_back(PartKind::RoadSurface, "Fahrbahn", roadMaterial);
    RoadTexture texture(in.texL0, in.rueckfaltung);
    log.append("TexturStart = " + formatFixed(texture.coordinate()));
    TrafficCurves curves = startTrafficCurves(in);
    RoadWalk walk = walkRoad(params.splines, in, road, curves, texture, random, log, progress);
    mesh.length = walk.length;
    for (auto* curve : {&curves.middle, &curves.right, &curves.left}) {
        if (*curve) finishTrafficCurve(**curve);
    }
    // Right-hand traffic: the left lane is driven from the road's end to its start.
    if (in.gegenspurUmkehren && curves.left) reverseTrafficCurve(*curves.left);

    if (road) {
        log.append("Textur: Längenkoordinate am Ende = " + formatFixed(texture.coordinate()));
        built.nextTexL0 = texture.nextRoadStart();
        log.append("Textur: Längenkoordinate für die nächste Straße = " +
                   formatFixed(*built.nextTexL0));
        log.append("Fahrbahn: " + std::to_string(road->vertexCount()) + " Vertices, " +
                   std::to_string(road->triangleCount()) + " triangles");
    } else {
        log.append("Fahrbahn: nicht erzeugt");
    }

    const auto verge = [&](bool on, const TRandPunkte& profile, PartKind kind, const char* name,
                           std::size_t material) -> MeshPart* {
        if (!on) return nullptr;
        return &mesh.parts.emplace_back(kind, name, material,
                                        static_cast<std::uint32_t>(profile.count()));
    };
    MeshPart* rightPart = verge(in.rightEdge, params.rechterRand, PartKind::RightVerge,
                                "rechter Rand", rightMaterial);
    MeshPart* leftPart = verge(in.leftEdge, params.linkerRand, PartKind::LeftVerge,
                               "linker Rand", leftMaterial);
    {
        std::optional<EdgeStrip> right, left;
        if (rightPart) right.emplace(EdgeStrip{params.rechterRand, walk.rightBorder, *rightPart});
        if (leftPart) left.emplace(EdgeStrip{params.linkerRand, walk.leftBorder, *leftPart});
        buildEdgeStrips(right ? &*right : nullptr, left ? &*left : nullptr, messages, log);
    }
    // The borders are done with: their memory goes before the documents are written.
    walk.rightBorder = {};
    walk.leftBorder = {};

    if (in.fill) {
        MeshPart& start = mesh.parts.emplace_back(PartKind::StartFace, "Stirnfläche Anfang",
                                                  fillMaterial);
        MeshPart& end = mesh.parts.emplace_back(PartKind::EndFace, "Stirnfläche Ende",
                                                fillMaterial);
        buildFillFaces(params.fill, params.rechterRand, params.linkerRand, in.breite,
                       walk.firstSample, walk.lastSample, walk.length, start, end, messages, log);
    }

    for (auto* curve : {&curves.middle, &curves.right, &curves.left}) {
        if (*curve) mesh.curves.push_back(std::move(**curve));
    }
    return built;
}

} // namespace trassolin
