#include "generation/edges.h"

#include "generation/road_texture.h"
#include "uGlobal/checked_math.h"

#include <cmath>
#include <exception>
#include <string>
#include <system_error>
#include <thread>

namespace trassolin {

namespace {

void writeSection(const TRandPunkte& profile, const TPunkt& base, double v, MeshPart& part) {
    TPunkt work;
    for (int j = 0; j < profile.count(); ++j) {
        profile.placeProfilePoint(base, work, j);
        work.v = v;
        part.addVertex(work);
    }
}

// The strip's vertices, triangles and sections into `part`; returns its triangle count.
int sweep(const TRandPunkte& profile, const BlockList<BorderPoint>& border, MeshPart& part) {
    const bool right = profile.rightSide();
    const int N = static_cast<int>(border.size());
    const auto P = static_cast<std::uint32_t>(profile.count());
    RoadTexture texture(0.0, false);
    BorderPoint previous{};
    int i = 0;
    border.forEach(0, border.size(), [&](const BorderPoint& b) {
        if (i == 0) previous = b;
        const double dx = b.x - previous.x, dy = b.y - previous.y, dz = b.z - previous.z;
        const double s = std::sqrt(dx * dx + dy * dy + dz * dz);
        previous = b;
        // In extended precision, stored in 64 bits.
        const double v = requireFinite(
            checkedDivide<long double>(s, profile.textureLength) * texture.direction() +
            texture.coordinate());
        const TPunkt base = b.pose();
        part.beginSection(b.station);
        writeSection(profile, base, v, part);

        if (i > 0) {
            for (std::uint32_t k = 0; k + 1 < P; ++k) {
                const std::uint32_t a = part.vertexCount() - 2 * P + k; // point k, previous row
                const std::uint32_t c = part.vertexCount() - P + k;     // point k, this row
                if (right) {
                    part.addTriangle(a, a + 1, c);
                    part.addTriangle(a + 1, c + 1, c);
                } else {
                    part.addTriangle(a + 1, a, c);
                    part.addTriangle(a + 1, c, c + 1);
                }
            }
        }
        const RoadTextureFlags flags =
            texture.decideAt(v, profile.resetInsteadOfMirror, i == N - 1);
        if (texture.advance(v, false, flags)) {
            // A second row at the same place, shifted by whole repeats: same look, V bounded.
            writeSection(profile, base, texture.coordinate(), part);
        }
        ++i;
    });
    return 2 * (profile.count() - 1) * (N - 1);
}

void reportStrip(const TRandPunkte& profile, const MeshPart& part, int triangles, StatusLog& log) {
    log.append(std::string(profile.rightSide() ? "rechter Rand: " : "linker Rand: ") +
               std::to_string(part.vertexCount()) + " Vertices, " + std::to_string(triangles) +
               " triangles");
}

} // namespace

void buildEdgeStrip(const EdgeStrip& strip, MessageSink& messages, StatusLog& log) {
    if (strip.border.size() < 2) {
        messages.show(MessageKind::Warning, strip.profile.rightSide()
                                                ? "Zu wenig Punkte am rechten Rand"
                                                : "Zu wenig Punkte am linken Rand");
        throw RunStopped{};
    }
    const int triangles = sweep(strip.profile, strip.border, strip.part);
    reportStrip(strip.profile, strip.part, triangles, log);
}

void buildEdgeStrips(const EdgeStrip* right, const EdgeStrip* left, MessageSink& messages,
                     StatusLog& log) {
    // Both strips on a border of their own: the left one is swept on a helper thread while
    // this thread sweeps the right one. Below about a thousand border points starting the
    // thread costs more than it saves.
    constexpr std::size_t kBorderWorthAThread = 1000;
    if (right && left && right->border.size() >= kBorderWorthAThread &&
        left->border.size() >= kBorderWorthAThread) {
        int leftTriangles = 0;
        std::exception_ptr leftFailure;
        std::thread helper;
        try {
            helper = std::thread([&] {
                try {
                    leftTriangles = sweep(left->profile, left->border, left->part);
                } catch (...) {
                    leftFailure = std::current_exception();
                }
            });
        } catch (const std::system_error&) {
            // No second thread to be had: one after the other.
        }
        if (helper.joinable()) {
            try {
                buildEdgeStrip(*right, messages, log);
            } catch (...) {
                helper.join();
                throw; // the right strip's failure comes first, as on one thread
            }
            helper.join();
            if (leftFailure) std::rethrow_exception(leftFailure);
            reportStrip(left->profile, left->part, leftTriangles, log);
            return;
        }
    }
    if (right) buildEdgeStrip(*right, messages, log);
    if (left) buildEdgeStrip(*left, messages, log);
}

} // namespace trassolin
