// The preview's camera, projection and picking, and the scene it uploads: plain arithmetic,
// no OpenGL.
#include "support/road_runs.h"
#include "support/test_support.h"
#include "uVorschau/preview_build.h"
#include "uVorschau/preview_camera.h"
#include "uVorschau/preview_ground.h"
#include "uVorschau/preview_picking.h"
#include "uVorschau/preview_scene.h"

#include <gtest/gtest.h>

#include <QImage>

#include <algorithm>
#include <cmath>
#include <numbers>

namespace trassolin::gui {
namespace {

constexpr double kPi = std::numbers::pi;
const Viewport kView{800.0, 600.0};

BoundingBox box(const Vec3& min, const Vec3& max) {
    BoundingBox b;
    b.include(min[0], min[1], min[2]);
    b.include(max[0], max[1], max[2]);
    return b;
}

// A road 2.4 km across, far from the map's centre, like the examples' maps.
const BoundingBox kRoadBox = box({1200, 40, -800}, {3600, 75, 900});

PreviewCamera fitted() {
    PreviewCamera camera;
    camera.fit(kRoadBox, kView);
    return camera;
}

double distanceToRay(const Ray& ray, const Vec3& p) {
    const Vec3 d{p[0] - ray.origin[0], p[1] - ray.origin[1], p[2] - ray.origin[2]};
    const double along = d[0] * ray.direction[0] + d[1] * ray.direction[1] + d[2] * ray.direction[2];
    const Vec3 q = ray.at(along);
    return std::hypot(p[0] - q[0], p[1] - q[1], p[2] - q[2]);
}

TEST(PreviewCamera, fitLooksAtTheBoxsMiddleFromAboveAndShowsAllOfIt) {
    const PreviewCamera camera = fitted();
    const auto middle = camera.project({2400, 57.5, 50}, kView);
    ASSERT_TRUE(middle);
    EXPECT_NEAR(middle->x, 400.0, 1e-6);
    EXPECT_NEAR(middle->y, 300.0, 1e-6);
    EXPECT_GT(middle->depth, 0.0);
    EXPECT_LT(middle->depth, 1.0);
    EXPECT_GT(camera.eye()[1], 75.0);
    for (double x : {kRoadBox.min[0], kRoadBox.max[0]}) {
        for (double y : {kRoadBox.min[1], kRoadBox.max[1]}) {
            for (double z : {kRoadBox.min[2], kRoadBox.max[2]}) {
                const auto corner = camera.project({x, y, z}, kView);
                ASSERT_TRUE(corner);
                EXPECT_GE(corner->x, 0.0);
                EXPECT_LE(corner->x, kView.width);
                EXPECT_GE(corner->y, 0.0);
                EXPECT_LE(corner->y, kView.height);
                EXPECT_GT(corner->depth, 0.0);
                EXPECT_LT(corner->depth, 1.0);
            }
        }
    }
}

TEST(PreviewCamera, theRayThroughAPixelPassesThroughWhatProjectsThere) {
    PreviewCamera camera = fitted();
    for (const auto& [yaw, pitch] : {std::pair{0.3, 0.5}, {2.0, -0.7}, {kPi, kPi / 2}, {-1.2, 0.05}}) {
        camera.setAngles(yaw, pitch);
        for (const Vec3& p : {Vec3{2400, 57.5, 50}, Vec3{1300, 41, -700}, Vec3{3500, 74, 880},
                              Vec3{2000, 60, 300}}) {
            const auto shown = camera.project(p, kView);
            if (!shown) continue;
            const Ray ray = camera.rayThrough(shown->x, shown->y, kView);
            EXPECT_LT(distanceToRay(ray, p), 1e-6 * camera.distance()) << yaw << " " << pitch;
            EXPECT_NEAR(std::hypot(ray.direction[0], ray.direction[1], ray.direction[2]), 1.0, 1e-12);
        }
    }
}

TEST(PreviewCamera, theTopViewHasPlusZUpAndPlusXOnTheLeft) {
    PreviewCamera camera = fitted();
    camera.topView();
    const Vec3 t = camera.target();
    EXPECT_NEAR(camera.eye()[0], t[0], 1e-9);
    EXPECT_NEAR(camera.eye()[2], t[2], 1e-9);
    EXPECT_GT(camera.eye()[1], t[1]);
    const auto north = camera.project({t[0], t[1], t[2] + 100}, kView);
    const auto plusX = camera.project({t[0] + 100, t[1], t[2]}, kView);
    ASSERT_TRUE(north && plusX);
    EXPECT_LT(north->y, 300.0 - 1.0);
    EXPECT_NEAR(north->x, 400.0, 1e-6);
    EXPECT_LT(plusX->x, 400.0 - 1.0);
    EXPECT_NEAR(plusX->y, 300.0, 1e-6);
}

TEST(PreviewCamera, orbitingKeepsTheTargetAndDistanceAndStopsAtTheZenithAndJustAboveTheNadir) {
    PreviewCamera camera = fitted();
    const Vec3 target = camera.target();
    const double distance = camera.distance();
    for (const auto& [dx, dy] : {std::pair{120.0, 0.0}, {0.0, 80.0}, {-500.0, -30.0}}) {
        camera.orbit(dx, dy);
        const Vec3 e = camera.eye();
        EXPECT_NEAR(std::hypot(e[0] - target[0], e[1] - target[1], e[2] - target[2]), distance,
                    1e-6 * distance);
        EXPECT_EQ(camera.target(), target);
    }
    camera.orbit(0.0, 1e6);
    EXPECT_DOUBLE_EQ(camera.pitch(), kPi / 2);
    camera.orbit(0.0, -1e6);
    EXPECT_NEAR(camera.pitch(), -89.0 * kPi / 180.0, 1e-12);
    EXPECT_LT(camera.eye()[1], target[1]); // below the ground, where back faces are seen
}

TEST(PreviewCamera, panningMovesThePointUnderTheMouseWithTheMouse) {
    PreviewCamera camera = fitted();
    camera.setAngles(0.4, 0.6);
    const Vec3 before = camera.target();
    camera.pan(37.0, -21.0, kView);
    const auto shown = camera.project(before, kView);
    ASSERT_TRUE(shown);
    EXPECT_NEAR(shown->x, 400.0 + 37.0, 1e-6);
    EXPECT_NEAR(shown->y, 300.0 - 21.0, 1e-6);
    EXPECT_DOUBLE_EQ(camera.distance(), fitted().distance());
}

TEST(PreviewCamera, zoomStepsAreUndoneByStepsBackAndStopHalfAMetreBeforeTheTarget) {
    PreviewCamera camera = fitted();
    const double distance = camera.distance();
    camera.zoom(3);
    EXPECT_LT(camera.distance(), distance);
    camera.zoom(-3);
    EXPECT_NEAR(camera.distance(), distance, 1e-9 * distance);
    camera.zoom(1000);
    EXPECT_DOUBLE_EQ(camera.distance(), 0.5);
    EXPECT_GT(camera.nearPlane(), 0.0);
    EXPECT_GT(camera.farPlane(), camera.nearPlane());
}

TEST(PreviewCamera, whatLiesBehindTheEyeIsNotProjected) {
    PreviewCamera camera = fitted();
    const Vec3 e = camera.eye(), f = camera.forward();
    EXPECT_FALSE(camera.project({e[0] - f[0] * 10, e[1] - f[1] * 10, e[2] - f[2] * 10}, kView));
    EXPECT_FALSE(camera.project(e, kView));
}

TEST(PreviewCamera, anotherRoadIsOneElsewhereOrOfAnotherSizeNotAnEditedOne) {
    const struct {
        const char* name;
        BoundingBox now;
        bool another;
    } cases[] = {
        {"the same", kRoadBox, false},
        {"widened by 3 m", box({1197, 40, -803}, {3603, 75, 903}), false},
        {"a point moved 200 m", box({1200, 40, -800}, {3800, 75, 900}), false},
        {"far away", box({9200, 40, -800}, {11600, 75, 900}), true},
        {"a short street in it", box({2000, 50, 0}, {2100, 52, 20}), true},
        {"four times as large", box({0, 0, -4000}, {9000, 300, 4000}), true},
        {"nothing", BoundingBox{}, true},
    };
    for (const auto& c : cases) EXPECT_EQ(showsAnotherRoad(kRoadBox, c.now), c.another) << c.name;
    EXPECT_TRUE(showsAnotherRoad(BoundingBox{}, kRoadBox));
}

// Three control points in a row along +Z, a tiny scene without surfaces.
PreviewScene pointsOnly(const std::vector<Vec3>& points) {
    RoadMesh mesh;
    for (const Vec3& p : points) mesh.controlPoints.push_back({p, {0, 0, 0}});
    return buildPreviewScene(mesh);
}

TEST(PreviewPicking, aClickPicksTheNearestDotWithinItsRadiusOnly) {
    const PreviewScene scene = pointsOnly({{0, 0, 0}, {0, 0, 20}, {0, 0, 40}});
    PreviewCamera camera;
    camera.fit(scene.bounds, kView);
    camera.topView();
    const auto second = camera.project(scene.controlPoint(1), kView);
    ASSERT_TRUE(second);
    EXPECT_EQ(pickControlPoint(scene, camera, kView, second->x + 3, second->y - 2, 8.0), 1u);
    EXPECT_FALSE(pickControlPoint(scene, camera, kView, second->x + 9, second->y, 8.0));
    const auto third = camera.project(scene.controlPoint(2), kView);
    EXPECT_EQ(pickControlPoint(scene, camera, kView, third->x, third->y + 1, 8.0), 2u);
}

TEST(PreviewPicking, ofDotsAtTheSamePlaceOnTheScreenTheNearerIsPicked) {
    // Two points one above the other, seen from straight above them.
    const PreviewScene scene = pointsOnly({{0, -5, 0}, {0, 5, 0}, {0, 0, 30}});
    PreviewCamera camera;
    camera.fit(scene.bounds, kView);
    camera.topView();
    camera.lookAt({0, 0, 0}, 50);
    const auto shown = camera.project(scene.controlPoint(0), kView);
    ASSERT_TRUE(shown);
    EXPECT_EQ(pickControlPoint(scene, camera, kView, shown->x, shown->y, 8.0), 1u);
}

TEST(PreviewPicking, aRayMeetsATriangleFromEitherSideAndOnlyAhead) {
    const Vec3 a{0, 0, 0}, b{10, 0, 0}, c{0, 0, 10};
    const struct {
        const char* name;
        Ray ray;
        std::optional<double> distance;
    } cases[] = {
        {"from above", {{2, 5, 2}, {0, -1, 0}}, 5.0},
        {"from below", {{2, -3, 2}, {0, 1, 0}}, 3.0},
        {"slanted", {{2, 4, -1}, {0, -0.8, 0.6}}, 5.0},
        {"beside it", {{8, 5, 8}, {0, -1, 0}}, std::nullopt},
        {"on its edge's far side", {{-0.1, 5, 2}, {0, -1, 0}}, std::nullopt},
        {"parallel", {{2, 1, 2}, {1, 0, 0}}, std::nullopt},
        {"behind the origin", {{2, 5, 2}, {0, 1, 0}}, std::nullopt},
    };
    for (const auto& k : cases) {
        const auto hit = hitTriangle(k.ray, a, b, c);
        ASSERT_EQ(hit.has_value(), k.distance.has_value()) << k.name;
        if (hit) {
            EXPECT_NEAR(*hit, *k.distance, 1e-12) << k.name;
        }
    }
}

TEST(PreviewPicking, aRayStraightDownMeetsTheRoadAtItsSurface) {
    ParameterSet params = test::example("landstrasse.ini", true);
    const PreviewScene scene = buildPreviewScene(test::meshOf(params).mesh);
    const PreviewPart& road = scene.parts.front();
    ASSERT_EQ(road.kind, PartKind::RoadSurface);
    // Between the two border vertices of a sample half way along the road.
    const std::uint32_t k = road.vertexCount / 2 & ~1u;
    const Vec3 right = scene.world(scene.vertices[k].position);
    const Vec3 left = scene.world(scene.vertices[k + 1].position);
    const Vec3 middle{(right[0] + left[0]) / 2, (right[1] + left[1]) / 2, (right[2] + left[2]) / 2};
    const auto hit = pickSurface(scene, {{middle[0], middle[1] + 100, middle[2]}, {0, -1, 0}});
    ASSERT_TRUE(hit);
    EXPECT_NEAR((*hit)[1], middle[1], 0.05); // camber lifts one border a little
    EXPECT_NEAR((*hit)[0], middle[0], 1e-6);
    EXPECT_FALSE(pickSurface(scene, {{middle[0], middle[1] + 100, middle[2]}, {0, 1, 0}}));
}

TEST(PreviewScene, holdsTheMeshRelativeToAWholeMetreNearItAndLosesNoMillimetre) {
    ParameterSet params = test::example("landstrasse.ini", true);
    const RoadBuild built = test::meshOf(params);
    const RoadMesh& mesh = built.mesh;
    const PreviewScene scene = buildPreviewScene(mesh);
    ASSERT_EQ(scene.vertexCount(), mesh.vertexCount());
    ASSERT_EQ(scene.triangles.size(), mesh.triangleCount() * 3);
    ASSERT_EQ(scene.parts.size(), mesh.parts.size());
    for (int axis = 0; axis < 3; ++axis) {
        EXPECT_EQ(scene.origin[axis], std::round(scene.origin[axis]));
        EXPECT_GE(scene.origin[axis], scene.bounds.min[axis]);
        EXPECT_LE(scene.origin[axis], scene.bounds.max[axis]);
    }
    std::size_t v = 0;
    for (std::size_t p = 0; p < mesh.parts.size(); ++p) {
        const MeshPart& part = mesh.parts[p];
        const PreviewPart& shown = scene.parts[p];
        EXPECT_EQ(shown.kind, part.kind());
        EXPECT_EQ(shown.vertexCount, part.vertexCount());
        EXPECT_EQ(shown.indexCount, part.triangleCount() * 3);
        const auto first = static_cast<std::uint32_t>(v);
        const bool verge = part.kind() == PartKind::RightVerge || part.kind() == PartKind::LeftVerge;
        std::uint32_t k = 0;
        part.vertices().forEach(0, part.vertices().size(), [&](const MeshVertex& m) {
            const PreviewVertex& pv = scene.vertices[v++];
            const Vec3 w = scene.world(pv.position);
            EXPECT_NEAR(w[0], m.x, 1e-3);
            EXPECT_NEAR(w[1], m.y, 1e-3);
            EXPECT_NEAR(w[2], m.z, 1e-3);
            EXPECT_FLOAT_EQ(pv.uv[1], static_cast<float>(m.v));
            EXPECT_EQ(pv.profilePoint, verge ? static_cast<float>(k % part.rowLength()) : -1.0f);
            ++k;
        });
        for (std::uint32_t i = shown.firstIndex; i < shown.firstIndex + shown.indexCount; ++i) {
            EXPECT_GE(scene.triangles[i], first);
            EXPECT_LT(scene.triangles[i], first + part.vertexCount());
        }
    }
    EXPECT_EQ(scene.curves.size(), mesh.curves.size());
    EXPECT_EQ(scene.controlPointCount, mesh.controlPoints.size());
    EXPECT_EQ(scene.controlPoint(0), mesh.controlPoints.front().position);
    EXPECT_EQ(scene.textures.size(), mesh.materials.size());
}

TEST(PreviewBuild, buildsTheRoadOfTheNextRunWithoutTouchingItsParameters) {
    ParameterSet params = test::example("landstrasse.ini", true);
    const ParameterSet before = params;
    ParameterSet copy = params;
    const RoadBuild run = test::meshOf(copy);
    const PreviewBuildResult built = buildPreview({params, '.', RandomSequence{}, {}}, nullptr);
    ASSERT_TRUE(built.scene) << built.failure;
    EXPECT_EQ(built.scene->vertexCount(), run.mesh.vertexCount());
    EXPECT_EQ(built.textures.size(), run.mesh.materials.size());
    EXPECT_EQ(params.texL0, before.texL0);
    EXPECT_EQ(params.splines.points().front().Yrot, before.splines.points().front().Yrot);
}

TEST(PreviewBuild, saysWhyThereIsNoRoadInTheWordsOfARun) {
    ParameterSet tooFew;
    tooFew.splines.assignPoints({TSplinePkt{}});
    EXPECT_EQ(buildPreview({tooFew, '.', RandomSequence{}, {}}, nullptr).failure,
              "Zu wenig SplinePunkte");
    ParameterSet notANumber = test::example("landstrasse.ini");
    notANumber.breite = "abc";
    const PreviewBuildResult failed = buildPreview({notANumber, '.', RandomSequence{}, {}}, nullptr);
    EXPECT_FALSE(failed.scene);
    EXPECT_EQ(failed.failure, "[Fahrbahn_Geo] Breite: 'abc' ist kein gültiger Gleitkommawert");
    EXPECT_TRUE(failed.error);
}

TEST(PreviewBuild, takesATexturePictureBesideTheRoadsFilesWhereQtCanReadIt) {
    test::TempDir dir;
    QImage picture(16, 8, QImage::Format_RGB32);
    picture.fill(Qt::darkGray);
    ASSERT_TRUE(picture.save(QString::fromStdString((dir / "asphalt.png").string())));
    test::writeFile(dir / "verge.dds", "DDS |not a picture Qt reads");
    ParameterSet params = test::example("landstrasse.ini", true);
    params.texturFileName = "asphalt.png";
    params.rechterRand.textureFileName = "verge.dds";
    TextureCache cache;
    const PreviewBuildResult built = buildPreview(
        {params, '.', RandomSequence{}, {dir / "elsewhere", dir.path()}}, nullptr, &cache);
    ASSERT_TRUE(built.scene) << built.failure;
    ASSERT_EQ(built.scene->textures.front(), "asphalt.png");
    EXPECT_EQ(built.textures.front().size(), QSize(16, 8));
    for (std::size_t m = 1; m < built.textures.size(); ++m) EXPECT_TRUE(built.textures[m].isNull());
    // A picture that changed on disk is read anew.
    QImage larger(32, 8, QImage::Format_RGB32);
    larger.fill(Qt::gray);
    ASSERT_TRUE(larger.save(QString::fromStdString((dir / "asphalt.png").string())));
    EXPECT_EQ(cache.load(dir / "asphalt.png").size(), QSize(32, 8));
}

TEST(PreviewBuild, aBuildThatIsNoLongerWantedStopsAndDeliversNothing) {
    int asked = 0;
    const PreviewBuildResult built = buildPreview(
        {test::example("landstrasse.ini"), '.', RandomSequence{}, {}}, [&] { return ++asked > 2; });
    EXPECT_TRUE(built.cancelled);
    EXPECT_FALSE(built.scene);
    EXPECT_EQ(asked, 3);
}

bool neutral(const Rgb& c) { return c[0] == c[1] && c[1] == c[2] && c[0] > 0.7f; }
bool reddish(const Rgb& c, float by) { return c[0] > c[1] + by && c[0] > c[2] + by; }
bool bluish(const Rgb& c, float by) { return c[2] > c[0] + by && c[2] > c[1] + by; }

TEST(ClearanceColour, isNeutralWithinTheToleranceAndClearlyTintedJustBeyondIt) {
    for (double tolerance : {0.1, 0.5}) {
        for (double h : {0.0, tolerance, -tolerance, tolerance * 0.99}) {
            EXPECT_TRUE(neutral(clearanceColour(h, tolerance))) << h << " " << tolerance;
        }
        EXPECT_TRUE(reddish(clearanceColour(tolerance + 0.01, tolerance), 0.25f));
        EXPECT_TRUE(bluish(clearanceColour(-tolerance - 0.01, tolerance), 0.25f));
    }
    // No tolerance: only the ground itself is neutral; a negative one is none.
    EXPECT_TRUE(neutral(clearanceColour(0.0, 0.0)));
    EXPECT_TRUE(reddish(clearanceColour(0.01, 0.0), 0.25f));
    EXPECT_TRUE(bluish(clearanceColour(-0.01, -1.0), 0.25f));
    EXPECT_DOUBLE_EQ(clearanceScaleEnd(-1.0), kFullColourBeyondTolerance);
}

TEST(ClearanceColour, deepensToTheFullColourAtTheScalesEndAndStaysThere) {
    const double tolerance = 0.1, end = clearanceScaleEnd(tolerance);
    EXPECT_DOUBLE_EQ(end, 1.1);
    const Rgb fullAbove = clearanceColour(end, tolerance);
    const Rgb fullBelow = clearanceColour(-end, tolerance);
    EXPECT_TRUE(reddish(fullAbove, 0.6f));
    EXPECT_TRUE(bluish(fullBelow, 0.5f));
    EXPECT_EQ(clearanceColour(25.0, tolerance), fullAbove);
    EXPECT_EQ(clearanceColour(-25.0, tolerance), fullBelow);
    // Deeper all the way out: ever less green above, ever less red below.
    float green = 1.0f, red = 1.0f;
    for (double h = 0.15; h <= end; h += 0.1) {
        const float g = clearanceColour(h, tolerance)[1];
        const float r = clearanceColour(-h, tolerance)[0];
        EXPECT_LT(g, green) << h;
        EXPECT_LT(r, red) << -h;
        green = g;
        red = r;
    }
}

// The view reads a height's colour at 0.5 + 0.5 × height / end along the picture.
TEST(ClearanceColour, theScalePictureHoldsEachHeightsColourWhereTheViewReadsIt) {
    const double tolerance = 0.2, end = clearanceScaleEnd(tolerance);
    const int width = 1024;
    const QImage picture = clearanceScalePicture(tolerance, width);
    ASSERT_EQ(picture.size(), QSize(width, 1));
    for (double h : {-1.2, -0.7, -0.25, -0.1, 0.0, 0.15, 0.3, 0.9, 1.19}) {
        const double u = 0.5 + 0.5 * h / end;
        const int texel = std::clamp(static_cast<int>(u * width), 0, width - 1);
        const QColor seen = picture.pixelColor(texel, 0);
        const Rgb expected = clearanceColour(h, tolerance);
        // Within a texel's step of the scale (2.4 mm here) and the 8 bits of a channel.
        EXPECT_NEAR(seen.redF(), expected[0], 0.01) << h;
        EXPECT_NEAR(seen.greenF(), expected[1], 0.01) << h;
        EXPECT_NEAR(seen.blueF(), expected[2], 0.01) << h;
    }
}

// A ground that rises 0.01 m per metre along +x from 10 m at x = -100, 201 × 201 pixels at 1 m:
// the country road's first hundred metres lie on it, the rest beyond.
TEST(PreviewBuild, measuresTheRoadAndItsVergesAgainstTheGroundWhereTheMapReaches) {
    GreyImage16 pixels(201, 201);
    for (int r = 0; r < 201; ++r) {
        for (int c = 0; c < 201; ++c) pixels.at(c, r) = static_cast<std::uint16_t>(10000 + 10 * c);
    }
    PreviewRequest request{test::example("landstrasse.ini", true), '.', RandomSequence{}, {}};
    request.ground = std::make_shared<const HeightMap>(std::move(pixels),
                                                       TerrainPlacement{65.535, 1.0});
    const PreviewBuildResult built = buildPreview(request, nullptr);
    ASSERT_TRUE(built.scene) << built.failure;
    const PreviewScene& scene = *built.scene;
    std::size_t first = 0, on = 0, beyond = 0;
    for (const PreviewPart& part : scene.parts) {
        const bool measured = part.kind == PartKind::RoadSurface ||
                              part.kind == PartKind::RightVerge || part.kind == PartKind::LeftVerge;
        for (std::size_t i = first; i < first + part.vertexCount; ++i) {
            const PreviewVertex& v = scene.vertices[i];
            const Vec3 w = scene.world(v.position);
            const bool onMap = std::abs(w[0]) <= 100.0 && std::abs(w[2]) <= 100.0;
            if (measured && onMap) {
                ASSERT_EQ(v.grounded, 1.0f) << part.name << " " << i;
                EXPECT_NEAR(v.clearance, w[1] - (10.0 + 0.01 * (w[0] + 100.0)), 1e-4);
                ++on;
            } else {
                ASSERT_EQ(v.grounded, 0.0f) << part.name << " " << i;
                beyond += measured ? 1 : 0;
            }
        }
        first += part.vertexCount;
    }
    EXPECT_GT(on, 20u);
    EXPECT_GT(beyond, 1000u);
    // Without a ground nothing is measured.
    request.ground.reset();
    const PreviewBuildResult plain = buildPreview(request, nullptr);
    ASSERT_TRUE(plain.scene);
    for (const PreviewVertex& v : plain.scene->vertices) ASSERT_EQ(v.grounded, 0.0f);
}

} // namespace
} // namespace trassolin::gui
