#include "uVorschau/preview_ground.h"

#include "common/widgets.h"

#include <QColor>

#include <algorithm>
#include <cmath>

namespace trassolin::gui {

namespace {

constexpr Rgb kNeutral{0.80f, 0.80f, 0.80f};
constexpr Rgb kBelow{0.10f, 0.30f, 0.90f};
constexpr Rgb kAbove{0.90f, 0.12f, 0.10f};
// Just beyond the tolerance the tint is already this far from neutral, so that the line where
// the tolerance is exceeded shows as an edge rather than a fade.
constexpr double kFirstTint = 0.5;

bool measured(PartKind kind) {
    return kind == PartKind::RoadSurface || kind == PartKind::RightVerge ||
           kind == PartKind::LeftVerge;
}

QString htmlColour(const Rgb& c) {
    return QColor::fromRgbF(c[0], c[1], c[2]).name();
}

} // namespace

double clearanceScaleEnd(double tolerance) {
    return std::max(tolerance, 0.0) + kFullColourBeyondTolerance;
}

Rgb clearanceColour(double clearance, double tolerance) {
    tolerance = std::max(tolerance, 0.0);
    const double beyond = std::abs(clearance) - tolerance;
    if (!(beyond > 0.0)) return kNeutral;
    const double t =
        kFirstTint + (1.0 - kFirstTint) * std::min(beyond / kFullColourBeyondTolerance, 1.0);
    const Rgb& full = clearance > 0.0 ? kAbove : kBelow;
    Rgb c{};
    for (std::size_t i = 0; i < 3; ++i) {
        c[i] = static_cast<float>(kNeutral[i] + (full[i] - kNeutral[i]) * t);
    }
    return c;
}

QImage clearanceScalePicture(double tolerance, int width) {
    QImage picture(width, 1, QImage::Format_RGBA8888);
    const double end = clearanceScaleEnd(tolerance);
    for (int i = 0; i < width; ++i) {
        const double clearance = (-1.0 + (2.0 * i + 1.0) / width) * end;
        const Rgb c = clearanceColour(clearance, tolerance);
        picture.setPixelColor(i, 0, QColor::fromRgbF(c[0], c[1], c[2]));
    }
    return picture;
}

QString clearanceScaleText(double tolerance, char decimalSeparator) {
    return QStringLiteral("Höhe über Gelände: blau unter, grau innerhalb ±%1 m, rot über dem "
                          "Gelände (volle Farbe ab %2 m); außerhalb der Karte ohne Farbe")
        .arg(formatNumber(std::max(tolerance, 0.0), decimalSeparator),
             formatNumber(clearanceScaleEnd(tolerance), decimalSeparator));
}

QString clearanceLegend(double tolerance, char decimalSeparator) {
    const double end = clearanceScaleEnd(tolerance);
    const auto square = [](const Rgb& c) {
        return QStringLiteral("<span style=\"color:%1\">■</span>").arg(htmlColour(c));
    };
    return QStringLiteral("%1 blau: unter · %2 grau: ±%3 m · %4 rot: über dem Gelände (voll ab %5 m)")
        .arg(square(clearanceColour(-end, tolerance)), square(clearanceColour(0.0, tolerance)),
             formatNumber(std::max(tolerance, 0.0), decimalSeparator),
             square(clearanceColour(end, tolerance)), formatNumber(end, decimalSeparator));
}

void measureAgainstGround(PreviewScene& scene, const HeightMap& ground) {
    std::size_t first = 0; // the parts' vertices follow each other in the parts' order
    for (const PreviewPart& part : scene.parts) {
        const std::size_t end = first + part.vertexCount;
        for (std::size_t i = first; measured(part.kind) && i < end; ++i) {
            PreviewVertex& v = scene.vertices[i];
            const Vec3 at = scene.world(v.position);
            const std::optional<double> height = ground.heightAt(at[0], at[2]);
            if (!height) continue;
            v.clearance = static_cast<float>(at[1] - *height);
            v.grounded = 1.0f;
        }
        first = end;
    }
}

} // namespace trassolin::gui
