#include "generation/edges.h"

#include "uGlobal/checked_math.h"

#include <cmath>
#include <exception>
#include <string>
#include <system_error>
#include <thread>
#include <utility>

namespace trassolin {

namespace {

void writeSection(const TRandPunkte& profile, const TPunkt& base, double v, MeshLines& mesh) {
    TPunkt work;
    for (int j = 0; j < profile.count(); ++j) {
        profile.placeProfilePoint(base, work, j);
        work.v = v;
        mesh.writeVertex(work);
    }
}

// The strip's vertices and triangles into `mesh`; returns its triangle count. Indices count
// from the vertices `mesh` already holds.
int sweep(const TRandPunkte& profile, const TPunkteSammlung& border, MeshLines& mesh) {
    const bool right = profile.rightSide();
    const int N = border.count();
    const int P = profile.count();
    double w = -7.0;
    int direction = 1;
    const TPunkt* previous = border.get(0);
    for (int i = 0; i < N; ++i) {
        const TPunkt& b = *border.get(i);
        TPunkt diff;
        b.difference(*previous, diff);
        const double s = diff.length();
        previous = &b;
        // In extended precision, stored in 64 bits.
        const double v =
            requireFinite(checkedDivide<long double>(s, profile.textureLength) * direction + w);
        writeSection(profile, b, v, mesh);

        if (i > 0) {
            for (int k = 0; k < P - 1; ++k) {
                const int a = mesh.vertexCount() - 2 * P + k; // point k of the previous section
                const int c = mesh.vertexCount() - P + k;     // point k of this section
                if (right) {
                    mesh.writeTriangle(a, a + 1, c);
                    mesh.writeTriangle(a + 1, c + 1, c);
                } else {
                    mesh.writeTriangle(a + 1, a, c);
                    mesh.writeTriangle(a + 1, c, c + 1);
                }
            }
        }

        bool reset = false;
        if (direction == 1 && v >= 3.5) {
            if (profile.resetInsteadOfMirror) {
                reset = i != N - 1;
            } else {
                direction = -1;
            }
        }
        if (direction == -1 && v <= -3.5) direction = 1;
        w = v;
        if (reset) {
            // A second section at the same place, shifted by whole repeats: same look, V bounded.
            w = w - 7.0 - std::trunc(w);
            writeSection(profile, b, w, mesh);
        }
    }
    return 2 * (P - 1) * (N - 1);
}

void finishStrip(const TRandPunkte& profile, int vertices, int triangles, MeshLines& mesh,
                 StatusLog& log) {
    log.append(std::string(profile.rightSide() ? "rechter Rand: " : "linker Rand: ") +
               std::to_string(vertices) + " Vertices, " + std::to_string(triangles) +
               " triangles");
    mesh.closeSubset();
}

} // namespace

void buildEdgeStrip(const TRandPunkte& profile, const TPunkteSammlung& border, MeshLines& mesh,
                    MessageSink& messages, StatusLog& log) {
    if (border.count() < 2) {
        messages.show(MessageKind::Warning, profile.rightSide() ? "Zu wenig Punkte am rechten Rand"
                                                                : "Zu wenig Punkte am linken Rand");
        throw RunStopped{};
    }
    const int triangles = sweep(profile, border, mesh);
    finishStrip(profile, mesh.vertexCount() - mesh.subsetStartVertex(), triangles, mesh, log);
}

void buildEdgeStrips(const TRandPunkte* right, const TPunkteSammlung& rightBorder,
                     const TRandPunkte* left, const TPunkteSammlung& leftBorder, MeshLines& mesh,
                     MessageSink& messages, StatusLog& log) {
    // Both strips on a border of their own: the left one is swept on a helper thread into a
    // part of its own while this thread sweeps the right one, and joins the mesh after it.
    // Below about a thousand border points starting the thread costs more than it saves.
    constexpr int kBorderWorthAThread = 1000;
    if (right && left && rightBorder.count() >= kBorderWorthAThread &&
        leftBorder.count() >= kBorderWorthAThread) {
        MeshLines leftPart;
        int leftTriangles = 0;
        std::exception_ptr leftFailure;
        std::thread helper;
        try {
            helper = std::thread([&] {
                try {
                    leftTriangles = sweep(*left, leftBorder, leftPart);
                } catch (...) {
                    leftFailure = std::current_exception();
                }
            });
        } catch (const std::system_error&) {
            // No second thread to be had: one after the other.
        }
        if (helper.joinable()) {
            try {
                buildEdgeStrip(*right, rightBorder, mesh, messages, log);
            } catch (...) {
                helper.join();
                throw; // the right strip's failure comes first, as on one thread
            }
            helper.join();
            if (leftFailure) std::rethrow_exception(leftFailure);
            const int leftVertices = leftPart.vertexCount();
            mesh.append(std::move(leftPart));
            finishStrip(*left, leftVertices, leftTriangles, mesh, log);
            return;
        }
    }
    if (right) buildEdgeStrip(*right, rightBorder, mesh, messages, log);
    if (left) buildEdgeStrip(*left, leftBorder, mesh, messages, log);
}

} // namespace trassolin
