// The preview beside the fields, without its pictures: what it says it shows, that every edit
// reaches it without a file written or a box shown, that the newest edit wins, and that it
// waits for a run. Runs offscreen, where the pane stands in for the view it cannot draw.

#include "gui_test_support.h"

#include "common/widgets.h"
#include "support/road_runs.h"
#include "support/test_support.h"
#include "uMain13/main_window.h"
#include "uMain13/spline_point_editor.h"
#include "uVorschau/preview_builder.h"
#include "uVorschau/preview_panel.h"
#include "winding_road.h"

#include <QAbstractButton>
#include <QAccessible>
#include <QApplication>
#include <QDockWidget>
#include <QLabel>
#include <QLineEdit>
#include <QSet>
#include <QSpinBox>
#include <QTest>
#include <QToolButton>

#include <cmath>
#include <memory>

using namespace trassolin;
using namespace trassolin::gui;
namespace ui = trassolin::gui::test;

class PreviewPanelTest : public QObject {
    Q_OBJECT

    std::unique_ptr<ui::WindowUnderTest> under_;

    TForm1& window() { return under_->window(); }
    ui::ScriptedPresenter& presenter() { return under_->presenter(); }
    template <class W = QLineEdit> W* get(const char* name) { return under_->get<W>(name); }
    PreviewPanel& panel() { return window().preview(); }
    QWidget* view() { return get<QWidget>("Vorschau"); }
    void settle() {
        QApplication::processEvents(); // the edit becomes a step of the history
        QTRY_VERIFY_WITH_TIMEOUT(panel().idle() && panel().builtGeneration() ==
                                                       panel().requestedGeneration(),
                                 30000);
    }

private Q_SLOTS:
    void init() { under_ = std::make_unique<ui::WindowUnderTest>(); }
    void cleanup() { under_.reset(); }

    void itSaysWhichPartsItShowsWithTheirVertexCounts() {
        QCOMPARE(view()->accessibleName(), QStringLiteral("Vorschau"));
        under_->load(trassolin::test::examplesDir() / "landstrasse.ini");
        settle();
        ParameterSet road = trassolin::test::example("landstrasse.ini");
        const RoadMesh mesh = trassolin::test::meshOf(road).mesh;
        QString expected = QStringLiteral("„Landstrasse“, 2403 m: ");
        QStringList parts;
        for (const MeshPart& part : mesh.parts) {
            parts << QStringLiteral("%1 %2 Vertices").arg(toQt(part.name())).arg(part.vertexCount());
        }
        expected += parts.join(QStringLiteral(", ")) +
                    QStringLiteral("; 3 Verkehrssplines; 41 Kontrollpunkte");
        QCOMPARE(view()->accessibleDescription(), expected);
        QAccessibleInterface* node = QAccessible::queryAccessibleInterface(view());
        QVERIFY(node != nullptr);
        QCOMPARE(node->text(QAccessible::Name), QStringLiteral("Vorschau"));
        QCOMPARE(node->text(QAccessible::Description), expected);
        QCOMPARE(get<QLabel>("lblVorschauStatus")->text(), expected);
        QCOMPARE(get<QLabel>("lblVorschauStatus")->buddy(), view());
    }

    // Docked below the fields the pane is short: its buttons and switches take one row there,
    // and go back to rows of three beside the fields.
    void itsControlsTakeOneRowBelowTheFields() {
        const char* const names[] = {"btnAnsichtZuruecksetzen", "btnDraufsicht", "cboDrahtgitter",
                                     "cboKurven", "cboKontrollpunkte", "cboRueckseiten",
                                     "cboGelaendeFarben"};
        const auto rows = [&] {
            QSet<int> tops;
            for (const char* name : names) tops << get<QWidget>(name)->geometry().center().y();
            return tops.size();
        };
        auto* dock = get<QDockWidget>("dckVorschau");
        window().addDockWidget(Qt::BottomDockWidgetArea, dock);
        QApplication::processEvents();
        QCOMPARE(rows(), 1);
        window().addDockWidget(Qt::RightDockWidgetArea, dock);
        QApplication::processEvents();
        QCOMPARE(rows(), 3);
    }

    void everyEditReachesItWithoutAFileOrABox() {
        under_->load(trassolin::test::examplesDir() / "landstrasse.ini");
        settle();
        const quint64 loaded = panel().builtGeneration();
        // A new last point at the origin turns the path back on itself: the preview says so
        // in the words of a run, the window shows no box for it.
        get<QToolButton>("spbSplineAddEnd")->click();
        settle();
        QVERIFY(panel().builtGeneration() > loaded);
        QVERIFY2(get<QLabel>("lblVorschauStatus")->text().startsWith(
                     QStringLiteral("Vorschau nicht aktuell: SplinePunkte 41 - 42: ")),
                 qPrintable(get<QLabel>("lblVorschauStatus")->text()));
        QVERIFY2(presenter().messages.empty(), qPrintable(presenter().texts().join('\n')));
        // 50 m on along the last chord, and the road is whole again.
        const auto& points = window().parameters().splines.points();
        const TSplinePkt& a = points[39];
        const TSplinePkt& b = points[40];
        const double chord = std::hypot(b.X - a.X, b.Z - a.Z);
        const char separator = window().decimalSeparator();
        ui::type(get("edtSplinePtsX"), formatNumber(b.X + (b.X - a.X) / chord * 50, separator));
        ui::type(get("edtSplinePtsY"), formatNumber(b.Y, separator));
        ui::type(get("edtSplinePtsZ"), formatNumber(b.Z + (b.Z - a.Z) / chord * 50, separator));
        ui::type(get("edtSplinePtsYrot"), formatNumber(b.Yrot, separator));
        ui::focus(get("edtShapeName"));
        settle();
        QVERIFY2(view()->accessibleDescription().endsWith(QStringLiteral("; 42 Kontrollpunkte")),
                 qPrintable(view()->accessibleDescription()));

        // A road that cannot be built keeps the last picture and says why, in the field's
        // words, without a box of its own.
        ui::type(get("edtBreite"), QStringLiteral("abc"));
        ui::focus(get("edtShapeName"));
        settle();
        QCOMPARE(get<QLabel>("lblVorschauStatus")->text(),
                 QStringLiteral("Vorschau nicht aktuell: Breite (Fahrbahn - Geometrie): 'abc' ist "
                                "kein gültiger Gleitkommawert"));
        QVERIFY(panel().scene() != nullptr);
        QVERIFY2(presenter().messages.empty(), qPrintable(presenter().texts().join('\n')));
        window().undo();
        settle();
        QVERIFY(view()->accessibleDescription().endsWith(QStringLiteral("; 42 Kontrollpunkte")));
        QCOMPARE(trassolin::test::entryNames(under_->folder()), std::vector<std::string>{});
    }

    void aClickOnAControlPointSelectsItInTheEditor() {
        under_->load(trassolin::test::examplesDir() / "landstrasse.ini");
        settle();
        panel().onPointPicked(16);
        QCOMPARE(window().parameters().splines.current(), 16);
        QCOMPARE(get<QSpinBox>("sedSplinePtsNr")->value(), 17);
        QCOMPARE(get("edtSplinePtsX")->text(),
                 formatNumber(window().parameters().splines.points()[16].X,
                              window().decimalSeparator()));
    }

    void theNewestRoadWinsAndARunMakesItWait() {
        PreviewBuilder builder;
        std::vector<std::pair<quint64, std::uint32_t>> delivered; // number, control points
        builder.onBuilt = [&](quint64 generation, const PreviewBuildResult& result) {
            delivered.emplace_back(generation, result.scene ? result.scene->controlPointCount : 0);
        };
        bench::writeWindingRoad(under_->folder() / "lang.ini", 300);
        const ParameterSet longRoad = bench::loadWindingRoad(under_->folder() / "lang.ini");
        const ParameterSet shortRoad = trassolin::test::example("landstrasse.ini");
        builder.request({longRoad, '.', RandomSequence{}, {}});
        builder.request({longRoad, '.', RandomSequence{}, {}});
        builder.request({shortRoad, '.', RandomSequence{}, {}});
        QTRY_VERIFY_WITH_TIMEOUT(!builder.busy(), 60000);
        QCOMPARE(delivered.size(), std::size_t{1});
        QCOMPARE(delivered.front(), (std::pair<quint64, std::uint32_t>{3, 41}));

        builder.setPaused(true);
        builder.request({shortRoad, '.', RandomSequence{}, {}});
        QTest::qWait(100);
        QCOMPARE(delivered.size(), std::size_t{1});
        QVERIFY(builder.busy());
        builder.setPaused(false);
        QTRY_VERIFY_WITH_TIMEOUT(!builder.busy(), 60000);
        QCOMPARE(delivered.size(), std::size_t{2});
        QCOMPARE(delivered.back().first, quint64{4});
    }
};

QTEST_MAIN(PreviewPanelTest)
#include "preview_panel_test.moc"
