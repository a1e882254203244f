#include "generation/edges.h"

#include "uGlobal/checked_math.h"

#include <cmath>
#include <string>

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

} // namespace

void buildEdgeStrip(const TRandPunkte& profile, const TPunkteSammlung& border, MeshLines& mesh,
                    MessageSink& messages, StatusLog& log) {
    const bool right = profile.rightSide();
    const int N = border.count();
    if (N < 2) {
        messages.show(MessageKind::Warning,
                      right ? "Zu wenig Punkte am rechten Rand" : "Zu wenig Punkte am linken Rand");
        throw RunStopped{};
    }
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

    log.append(std::string(right ? "rechter Rand: " : "linker Rand: ") +
               std::to_string(mesh.vertexCount() - mesh.subsetStartVertex()) + " Vertices, " +
               std::to_string(2 * (P - 1) * (N - 1)) + " triangles");
    mesh.closeSubset();
}

} // namespace trassolin
