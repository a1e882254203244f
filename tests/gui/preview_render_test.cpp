// The preview's picture as OpenGL draws it. Qt's offscreen platform cannot host an OpenGL
// widget: CTest runs this under xvfb-run on the xcb platform, where Mesa draws in software.
// Each check looks straight down on (or up at) a known point of the road and reads the pixel
// it projects to.

#include "gui_test_support.h"

#include "common/widgets.h"
#include "support/test_support.h"
#include "uMain13/edge_panel.h"
#include "uMain13/main_window.h"
#include "uMain13/segment_editor.h"
#include "uGlobal/numbers.h"
#include "uVorschau/preview_panel.h"
#include "uVorschau/preview_view.h"

#include <QAction>
#include <QCheckBox>
#include <QColor>
#include <QDialog>
#include <QImage>
#include <QLabel>
#include <QSurfaceFormat>
#include <QLineEdit>
#include <QTest>

#include <cmath>
#include <memory>
#include <numbers>

using namespace trassolin;
using namespace trassolin::gui;
namespace ui = trassolin::gui::test;

namespace {

// The colours the preview gives its parts, as a pixel shows them lit and textured.
bool roadColoured(const QColor& c) {
    return std::abs(c.redF() - c.greenF()) < 0.06 && std::abs(c.greenF() - c.blueF()) < 0.08 &&
           c.blueF() - c.redF() < 0.08 && c.greenF() > 0.15 && c.greenF() < 0.7;
}
bool vergeColoured(const QColor& c) {
    return c.greenF() > c.redF() + 0.05 && c.greenF() > c.blueF() + 0.1;
}
bool backColoured(const QColor& c) {
    return c.redF() > 0.6 && c.blueF() > 0.5 && c.greenF() < 0.3;
}
bool litUp(const QColor& c) { // the selected segment's orange
    return c.redF() > c.greenF() + 0.2 && c.greenF() > c.blueF() + 0.15;
}
// The colours of the height above the ground, lit.
bool aboveColoured(const QColor& c) {
    return c.redF() > c.greenF() + 0.3 && c.redF() > c.blueF() + 0.3;
}
bool belowColoured(const QColor& c) {
    return c.blueF() > c.redF() + 0.3 && c.blueF() > c.greenF() + 0.2;
}
bool withinTolerance(const QColor& c) {
    return std::min({c.redF(), c.greenF(), c.blueF()}) > 0.7 &&
           std::max({c.redF(), c.greenF(), c.blueF()}) - std::min({c.redF(), c.greenF(), c.blueF()}) <
               0.03;
}
bool sky(const QColor& c) {
    return std::abs(c.redF() - 0.69) < 0.02 && std::abs(c.greenF() - 0.80) < 0.02 &&
           std::abs(c.blueF() - 0.90) < 0.02;
}

QString describe(const QColor& c) {
    return QStringLiteral("rgb(%1, %2, %3)").arg(c.red()).arg(c.green()).arg(c.blue());
}

Vec3 between(const Vec3& a, const Vec3& b, double t) {
    return {a[0] + (b[0] - a[0]) * t, a[1] + (b[1] - a[1]) * t, a[2] + (b[2] - a[2]) * t};
}

} // namespace

class PreviewRenderTest : public QObject {
    Q_OBJECT

    std::unique_ptr<ui::WindowUnderTest> under_;

    TForm1& window() { return under_->window(); }
    template <class W = QLineEdit> W* get(const char* name) { return under_->get<W>(name); }
    PreviewPanel& panel() { return window().preview(); }
    PreviewView& view() { return *panel().view(); }
    // Until the preview shows the road of the last edit.
    void settle() {
        QApplication::processEvents(); // the edit becomes a step of the history
        QTRY_VERIFY_WITH_TIMEOUT(panel().idle() && panel().builtGeneration() ==
                                                       panel().requestedGeneration(),
                                 30000);
        QApplication::processEvents();
    }
    // The colour of the pixel where `world` appears, seen from `distance` m straight above
    // it, or from below when `fromBelow`.
    QColor seen(const Vec3& world, double distance = 30.0, bool fromBelow = false) {
        PreviewCamera& camera = view().camera();
        camera.topView();
        if (fromBelow) camera.setAngles(camera.yaw(), -80.0 * std::numbers::pi / 180.0);
        camera.lookAt(world, distance);
        const QImage picture = view().picture();
        const auto at = camera.project(world, view().viewport());
        if (!at) return {};
        const double ratio = picture.devicePixelRatio();
        return picture.pixelColor(static_cast<int>(at->x * ratio), static_cast<int>(at->y * ratio));
    }
    // The road's centre line and its horizontal left-hand normal at the control point where
    // the road bends least.
    std::pair<Vec3, Vec3> straightestPlace() {
        const auto& points = window().parameters().splines.points();
        std::size_t best = 1;
        double least = 1e9;
        for (std::size_t i = 1; i + 1 < points.size(); ++i) {
            const double bend = std::abs(std::remainder(points[i + 1].Yrot - points[i - 1].Yrot, 360.0));
            if (bend < least) {
                least = bend;
                best = i;
            }
        }
        const auto& p = points[best];
        const double dx = points[best + 1].X - points[best - 1].X;
        const double dz = points[best + 1].Z - points[best - 1].Z;
        const double length = std::hypot(dx, dz);
        return {{p.X, p.Y, p.Z}, {dz / length, 0.0, -dx / length}};
    }
    void leave() { ui::focus(get("edtShapeName")); }
    // Level ground at `height` m, given to "Gelände" as a map whose height map has 65 × 65
    // pixels a centimetre of height apart (lowered by 100 m, so that the ground may lie below
    // zero). The map reaches `reach` m from the origin along x and z; 0: the whole road.
    void giveGround(double height, double tolerance, double reach = 0.0) {
        if (reach == 0.0) {
            const BoundingBox& b = panel().scene()->bounds;
            for (int axis : {0, 2}) reach = std::max({reach, -b.min[axis], b.max[axis]});
            reach += 10.0;
        }
        const auto value = static_cast<std::uint16_t>(std::lround((height + 100.0) * 100.0));
        trassolin::test::writeHeightMap(under_->folder() / "boden.png", 65, 65,
                                        [=](int, int) { return value; });
        trassolin::test::writeFile(
            under_->folder() / "karte.i3d",
            "<i3D name=\"karte\"><Files><File fileId=\"1\" filename=\"boden.png\"/></Files>"
            "<Scene><TerrainTransformGroup name=\"terrain\" translation=\"0 -100 0\" "
            "heightMapId=\"1\" heightScale=\"655.35\" unitsPerPixel=\"" +
                formatGeneral(reach / 32.0, '.') + "\"/></Scene></i3D>");
        under_->presenter().onModal = [&](QDialog& dialog) {
            ui::control(dialog, "edtGelaendeDatei")->setText(fromPath(under_->folder() / "karte.i3d"));
            ui::control(dialog, "edtToleranz")
                ->setText(formatNumber(tolerance, window().decimalSeparator()));
            return int(QDialog::Accepted);
        };
        under_->click("bbnGelaende");
        settle();
    }

private Q_SLOTS:
    void initTestCase() {
        QVERIFY2(openGlAvailable(), "no OpenGL here: run under xvfb-run with QT_QPA_PLATFORM=xcb");
    }
    void drawsWithTheProfileAskedFor() {
        const bool core = qEnvironmentVariableIsSet("TRASSOLIN_CORE_PROFILE");
        QCOMPARE(view().coreProfile(), core);
    }
    void init() {
        under_ = std::make_unique<ui::WindowUnderTest>();
        QVERIFY(panel().drawsPictures());
        under_->load(trassolin::test::examplesDir() / "landstrasse.ini");
        settle();
        QVERIFY(panel().scene() != nullptr);
        QVERIFY(view().drawing());
        // Nothing on top of the surfaces.
        get<QCheckBox>("cboKurven")->setChecked(false);
        get<QCheckBox>("cboKontrollpunkte")->setChecked(false);
    }
    void cleanup() { under_.reset(); }

    void theRoadIsWhereItsPointsProject() {
        const PreviewScene& scene = *panel().scene();
        const PreviewPart& road = scene.parts.front();
        QCOMPARE(road.kind, PartKind::RoadSurface);
        // The middle of road triangles all along the road.
        for (int step = 1; step < 8; ++step) {
            const std::uint32_t t = road.firstIndex + (road.indexCount / 3 * step / 8) * 3;
            const Vec3 a = scene.world(scene.vertices[scene.triangles[t]].position);
            const Vec3 b = scene.world(scene.vertices[scene.triangles[t + 1]].position);
            const Vec3 c = scene.world(scene.vertices[scene.triangles[t + 2]].position);
            const Vec3 middle{(a[0] + b[0] + c[0]) / 3, (a[1] + b[1] + c[1]) / 3,
                              (a[2] + b[2] + c[2]) / 3};
            const QColor pixel = seen(middle);
            QVERIFY2(roadColoured(pixel), qPrintable(describe(pixel)));
        }
        // Beside the road, the verge.
        const auto [centre, left] = straightestPlace();
        const double half = std::stod(window().parameters().breite) / 2.0;
        const QColor verge = seen(between(centre, {centre[0] + left[0], centre[1], centre[2] + left[2]},
                                          half + 1.0));
        QVERIFY2((vergeColoured(verge) || litUp(verge)) && !roadColoured(verge),
                 qPrintable(describe(verge)));
    }

    void aWiderRoadCoversWhatWasItsVerge() {
        const auto [centre, left] = straightestPlace();
        const double width = std::stod(window().parameters().breite);
        const auto beside = [&, c = centre, l = left](double metres) {
            return Vec3{c[0] + l[0] * metres, c[1], c[2] + l[2] * metres};
        };
        QColor outside = seen(beside(width / 2 + 1.5));
        QVERIFY2(!roadColoured(outside), qPrintable(describe(outside)));
        QColor mirrored = seen(beside(-(width / 2 + 1.5)));
        QVERIFY2(!roadColoured(mirrored), qPrintable(describe(mirrored)));

        ui::type(get("edtBreite"), formatNumber(width + 5.0, window().decimalSeparator()));
        leave();
        settle();
        outside = seen(beside(width / 2 + 1.5));
        QVERIFY2(roadColoured(outside), qPrintable(describe(outside)));
        mirrored = seen(beside(-(width / 2 + 1.5)));
        QVERIFY2(roadColoured(mirrored), qPrintable(describe(mirrored)));
        // The new border lies beyond.
        const QColor newVerge = seen(beside(width / 2 + 2.5 + 1.0));
        QVERIFY2(!roadColoured(newVerge), qPrintable(describe(newVerge)));
        // Nothing was written for it.
        QCOMPARE(trassolin::test::entryNames(under_->folder()), std::vector<std::string>{});
    }

    void aTexturePictureBesideTheParameterFileIsDrawn() {
        std::string road = trassolin::test::readFile(trassolin::test::examplesDir() / "landstrasse.ini");
        road.replace(road.find("asphalt_diffuse.dds"), 19, "rot.png");
        trassolin::test::writeFile(under_->folder() / "rot.ini", road);
        QImage red(8, 8, QImage::Format_RGB32);
        red.fill(QColor(220, 30, 30));
        QVERIFY(red.save(fromPath(under_->folder() / "rot.png")));
        under_->load(under_->folder() / "rot.ini");
        settle();
        const QColor pixel = seen(straightestPlace().first);
        QVERIFY2(pixel.redF() > pixel.greenF() + 0.3 && pixel.redF() > pixel.blueF() + 0.3,
                 qPrintable(describe(pixel)));
    }

    void backFacesShowOnlyWhenSwitchedOn() {
        const Vec3 centre = straightestPlace().first;
        const QColor culled = seen(centre, 30.0, true);
        QVERIFY2(sky(culled), qPrintable(describe(culled)));
        get<QCheckBox>("cboRueckseiten")->setChecked(true);
        const QColor shown = seen(centre, 30.0, true);
        QVERIFY2(backColoured(shown), qPrintable(describe(shown)));
        // From above, the same road is the road.
        const QColor above = seen(centre);
        QVERIFY2(roadColoured(above), qPrintable(describe(above)));
    }

    void theRoadTakesTheColourOfItsHeightAboveTheGround() {
        auto* colours = get<QCheckBox>("cboGelaendeFarben");
        QVERIFY(!colours->isEnabled()); // no ground yet
        const auto [centre, left] = straightestPlace();
        giveGround(centre[1] - 1.0, 0.1);
        QVERIFY2(under_->presenter().messages.empty(), qPrintable(under_->presenter().takeTexts().join('\n')));
        QVERIFY(colours->isEnabled() && colours->isChecked());
        QVERIFY(get<QLabel>("lblGelaendeLegende")->isVisible());
        QVERIFY2(get<QWidget>("Vorschau")->accessibleDescription().contains(
                     QStringLiteral("Höhe über Gelände: blau unter, grau innerhalb ±0")),
                 qPrintable(get<QWidget>("Vorschau")->accessibleDescription()));
        QColor pixel = seen(centre);
        QVERIFY2(aboveColoured(pixel), qPrintable(describe(pixel)));

        colours->setChecked(false);
        pixel = seen(centre);
        QVERIFY2(roadColoured(pixel), qPrintable(describe(pixel)));
        QVERIFY(!get<QLabel>("lblGelaendeLegende")->isVisible());
        colours->setChecked(true);

        giveGround(centre[1] + 1.0, 0.1);
        pixel = seen(centre);
        QVERIFY2(belowColoured(pixel), qPrintable(describe(pixel)));
        giveGround(centre[1], 0.5);
        pixel = seen(centre);
        QVERIFY2(withinTolerance(pixel), qPrintable(describe(pixel)));

        // An edit keeps the ground: the wider road is coloured where its verge was.
        giveGround(centre[1] + 1.0, 0.1);
        const double width = std::stod(window().parameters().breite);
        const Vec3 widened{centre[0] + left[0] * (width / 2 + 1.5), centre[1],
                           centre[2] + left[2] * (width / 2 + 1.5)};
        ui::type(get("edtBreite"), formatNumber(width + 5.0, window().decimalSeparator()));
        leave();
        settle();
        pixel = seen(widened);
        QVERIFY2(belowColoured(pixel), qPrintable(describe(pixel)));

        // Another road, or a new one, may lie elsewhere: no ground until "Gelände" again.
        under_->load(trassolin::test::examplesDir() / "landstrasse.ini");
        settle();
        QVERIFY(!colours->isEnabled() && !colours->isChecked());
        pixel = seen(centre);
        QVERIFY2(roadColoured(pixel), qPrintable(describe(pixel)));
        giveGround(centre[1] + 1.0, 0.1);
        QVERIFY(colours->isEnabled());
        window().findChild<QAction*>(QStringLiteral("actNeu"))->trigger();
        QVERIFY(!colours->isEnabled() && !colours->isChecked());
        // Nothing was written for it but the test's own map.
        QCOMPARE(trassolin::test::entryNames(under_->folder()),
                 (std::vector<std::string>{"boden.png", "karte.i3d"}));
    }

    // Where the map ends, the road keeps its normal look, and the preview says nothing of it.
    void theRoadBeyondTheMapIsNotColoured() {
        const Vec3 centre = straightestPlace().first;
        const Vec3 start = panel().scene()->controlPoint(0);
        QVERIFY(std::hypot(centre[0] - start[0], centre[2] - start[2]) > 50.0);
        giveGround(start[1] + 1.0, 0.1, 20.0);
        // The report stops at the first point beyond the map; the preview does not.
        const QStringList said = under_->presenter().takeTexts();
        QCOMPARE(said.size(), 1);
        QVERIFY2(said.front().contains(QStringLiteral("außerhalb des Geländes")), qPrintable(said.front()));
        QColor pixel = seen(centre);
        QVERIFY2(roadColoured(pixel), qPrintable(describe(pixel)));
        pixel = seen({start[0], start[1], start[2] + 5.0});
        QVERIFY2(belowColoured(pixel), qPrintable(describe(pixel)));
    }

    void theSelectedVergeSegmentIsLitUp() {
        const PreviewScene& scene = *panel().scene();
        const auto right = std::find_if(scene.parts.begin(), scene.parts.end(), [](const PreviewPart& p) {
            return p.kind == PartKind::RightVerge;
        });
        QVERIFY(right != scene.parts.end());
        // In a row half way along the verge, the segment that is widest seen from above.
        const int points = window().parameters().rechterRand.count();
        std::uint32_t row = right->firstIndex; // a vertex index in the middle of the part
        row = scene.triangles[right->firstIndex + right->indexCount / 2];
        row -= static_cast<std::uint32_t>(scene.vertices[row].profilePoint);
        int widest = 1;
        double most = 0.0;
        for (int s = 1; s < points; ++s) {
            const Vec3 a = scene.world(scene.vertices[row + s - 1].position);
            const Vec3 b = scene.world(scene.vertices[row + s].position);
            const double across = std::hypot(b[0] - a[0], b[2] - a[2]);
            if (across > most) {
                most = across;
                widest = s;
            }
        }
        QVERIFY(most > 0.3);
        const Vec3 middle = between(scene.world(scene.vertices[row + widest - 1].position),
                                    scene.world(scene.vertices[row + widest].position), 0.5);
        SegmentEditor* editor = window().rightEdge().segments();
        editor->selectSegment(widest == 1 ? 2 : 1);
        QApplication::processEvents();
        const QColor other = seen(middle, 15.0);
        QVERIFY2(vergeColoured(other) && !litUp(other), qPrintable(describe(other)));
        editor->selectSegment(widest);
        QApplication::processEvents();
        const QColor selected = seen(middle, 15.0);
        QVERIFY2(litUp(selected), qPrintable(describe(selected)));
    }
};

// With TRASSOLIN_CORE_PROFILE set, the pictures are drawn by OpenGL 3.3 in its core profile
// (the other dialect of the shaders) instead of the compatibility profile Qt asks for.
int main(int argc, char** argv) {
    if (qEnvironmentVariableIsSet("TRASSOLIN_CORE_PROFILE")) {
        QSurfaceFormat format;
        format.setVersion(3, 3);
        format.setProfile(QSurfaceFormat::CoreProfile);
        QSurfaceFormat::setDefaultFormat(format);
    }
    QApplication app(argc, argv);
    PreviewRenderTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "preview_render_test.moc"
