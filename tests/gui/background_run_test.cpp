// "Go" on its own thread: the window answers while a long road is built, shows how far the run
// has come and can cancel it without touching the old document; the status log and TexL0 are
// those of a run on the window's thread. Runs offscreen.

#include "gui_test_support.h"

#include "common/widgets.h"
#include "io/paths.h"
#include "support/test_support.h"
#include "uMain13/edit_history.h"
#include "uMain13/main_window.h"
#include "winding_road.h"

#include <QAccessible>
#include <QAction>
#include <QApplication>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include <memory>

using namespace trassolin;
using namespace trassolin::gui;
namespace ui = trassolin::gui::test;
using trassolin::test::readFile;

namespace {

// What a command prints on stdout.
QStringList linesOf(QString text) {
    text.remove(QLatin1Char('\r'));
    QStringList lines = text.split(QLatin1Char('\n'));
    while (!lines.isEmpty() && lines.back().isEmpty()) lines.removeLast();
    return lines;
}

} // namespace

class BackgroundRunTest : public QObject {
    Q_OBJECT

    std::unique_ptr<ui::WindowUnderTest> under_;

    TForm1& window() { return under_->window(); }
    ui::ScriptedPresenter& presenter() { return under_->presenter(); }
    template <class W = QLineEdit> W* get(const char* name) { return under_->get<W>(name); }
    void click(const char* name) { under_->click(name); }
    std::filesystem::path file(const char* name) { return under_->folder() / name; }
    // The benchmark road of that length, loaded, with its output chosen.
    void loadWindingRoad(double kilometres, const std::filesystem::path& output) {
        bench::writeWindingRoad(file("lang.ini"), kilometres);
        under_->load(file("lang.ini"));
        presenter().fileAnswers << fromPath(output);
        click("bbnSave");
        QVERIFY(get<QPushButton>("bbnGo")->isEnabled());
    }
    QString log() { return get<QPlainTextEdit>("mmoStatus")->toPlainText(); }
    // The accessible object of that name below the window, when it is shown.
    QAccessibleInterface* accessible(const QString& name) {
        QList<QAccessibleInterface*> open{QAccessible::queryAccessibleInterface(&window())};
        while (!open.isEmpty()) {
            QAccessibleInterface* node = open.takeFirst();
            if (node == nullptr) continue;
            if (node->text(QAccessible::Name) == name && !node->state().invisible) return node;
            for (int i = 0; i < node->childCount(); ++i) open << node->child(i);
        }
        return nullptr;
    }

private Q_SLOTS:
    void init() { under_ = std::make_unique<ui::WindowUnderTest>(); }
    void cleanup() { under_.reset(); }

    void theWindowAnswersWithinATenthOfASecondThroughoutALongRun() {
        loadWindingRoad(500, file("lang.i3d"));
        QElapsedTimer clock;
        qint64 last = 0, worst = 0;
        int ticks = 0;
        QTimer beat;
        beat.setTimerType(Qt::PreciseTimer);
        connect(&beat, &QTimer::timeout, this, [&] {
            const qint64 now = clock.elapsed();
            worst = std::max(worst, now - last);
            last = now;
            ++ticks;
        });
        click("bbnGo");
        QVERIFY(window().running());
        clock.start();
        beat.start(10);
        QVERIFY(ui::waitForRun(window()));
        beat.stop();
        QVERIFY2(ticks >= 10, qPrintable(QStringLiteral("only %1 ticks: the run was too short to "
                                                        "tell").arg(ticks)));
        QVERIFY2(worst < 100, qPrintable(QStringLiteral("the window did not answer for %1 ms").arg(worst)));
        QVERIFY2(presenter().messages.empty(), qPrintable(presenter().texts().join('\n')));
        QVERIFY(std::filesystem::exists(file("lang.i3d")));
    }

    void cancellingLeavesTheOldDocumentByteForByteAndSaysSo() {
        loadWindingRoad(500, file("lang.i3d"));
        const std::string old = "<?xml version=\"1.0\"?>\r\nder alte Stand\r\n";
        trassolin::test::writeFile(file("lang.i3d"), old);
        ui::type(get("edtGltfFile"), fromPath(file("lang.glb")));
        ui::focus(get("edtShapeName"));
        const auto entries = trassolin::test::entryNames(under_->folder());
        const QString texL0 = get("edtTexL0")->text();
        click("bbnGo");
        auto* progress = get<QProgressBar>("prbGo");
        QTRY_VERIFY_WITH_TIMEOUT(progress->value() > 0 || !window().running(), 60000);
        QVERIFY2(window().running(), "the run ended before it could be cancelled");
        click("btnAbbrechen");
        QVERIFY(ui::waitForRun(window()));
        QCOMPARE(readFile(file("lang.i3d")), old);
        QCOMPARE(trassolin::test::entryNames(under_->folder()), entries);
        QCOMPARE(linesOf(log()).back(),
                 QStringLiteral("Abgebrochen – kein Dokument geschrieben (%1 bleibt unverändert, "
                                "%2 wurde nicht angelegt)")
                     .arg(toQt(displayPath(file("lang.i3d"))), toQt(displayPath(file("lang.glb")))));
        QCOMPARE(get("edtTexL0")->text(), texL0);
        QVERIFY(!window().history().unsaved());
        QVERIFY2(presenter().messages.empty(), qPrintable(presenter().texts().join('\n')));
        // The window takes the next Go as before.
        QVERIFY(get<QPushButton>("bbnGo")->isEnabled());
        QVERIFY(!progress->isVisible());
    }

    void theProgressBarRunsAlongThePathToItsEndAndIsInTheAccessibilityTree() {
        loadWindingRoad(200, file("lang.i3d"));
        auto* progress = get<QProgressBar>("prbGo");
        QVERIFY(!progress->isVisible());
        QVERIFY(!accessible(QStringLiteral("prbGo")));
        QList<int> values;
        connect(progress, &QProgressBar::valueChanged, this, [&](int v) { values << v; });
        click("bbnGo");
        QVERIFY(progress->isVisible());
        QVERIFY(get<QPushButton>("btnAbbrechen")->isVisible());
        QAccessibleInterface* bar = accessible(QStringLiteral("prbGo"));
        QVERIFY(bar != nullptr);
        QVERIFY(bar->text(QAccessible::Description).startsWith(QStringLiteral("Go läuft")));
        QVERIFY(accessible(QStringLiteral("btnAbbrechen")) != nullptr);
        QTRY_VERIFY_WITH_TIMEOUT(progress->value() > 0 || !window().running(), 60000);
        if (window().running()) {
            QVERIFY2(progress->accessibleDescription().contains(QStringLiteral(" von 200 km")),
                     qPrintable(progress->accessibleDescription()));
        }
        QVERIFY(ui::waitForRun(window()));
        QVERIFY(values.size() >= 2);
        for (int i = 1; i < values.size(); ++i) QVERIFY(values[i] >= values[i - 1]);
        QCOMPARE(values.back(), progress->maximum());
        QVERIFY(!progress->isVisible());
        QVERIFY(!accessible(QStringLiteral("prbGo")));
        QVERIFY2(presenter().messages.empty(), qPrintable(presenter().texts().join('\n')));
    }

    void theStatusLogIsTheCommandLinesLineForLine() {
        // Many segments, so that the log comes in many batches.
        loadWindingRoad(40, file("fenster.i3d"));
        click("bbnGo");
        QVERIFY(ui::waitForRun(window()));
        QString output;
        QCOMPARE(ui::runCommandLine({QStringLiteral("generate"), QStringLiteral("--decimal-separator"),
                                     QString(QChar::fromLatin1(window().decimalSeparator())),
                                     fromPath(file("lang.ini")), fromPath(file("cli.i3d"))},
                                    &output),
                 0);
        QStringList cli = linesOf(output);
        QStringList window = linesOf(log());
        QVERIFY(cli.size() > 800);
        QVERIFY(cli.takeLast().startsWith(QStringLiteral("Geschrieben: ")));
        QVERIFY(window.takeLast().startsWith(QStringLiteral("TexL0 für die nächste Straße: ")));
        QCOMPARE(window, cli);
        QVERIFY(readFile(file("fenster.i3d")) == readFile(file("cli.i3d")));
    }

    void theFieldsStayUsableAndAnEditDuringTheRunStays() {
        loadWindingRoad(300, file("lang.i3d"));
        // What the command line leaves as the next road's start.
        std::filesystem::copy_file(file("lang.ini"), file("cli.ini"));
        QCOMPARE(ui::runCommandLine({QStringLiteral("generate"), QStringLiteral("--write-texl0"),
                                     QStringLiteral("--decimal-separator"),
                                     QString(QChar::fromLatin1(window().decimalSeparator())),
                                     fromPath(file("cli.ini")), fromPath(file("cli.i3d"))}),
                 0);
        const std::string cliIni = readFile(file("cli.ini"));
        const auto at = cliIni.find("TexL0=");
        const QString nextTexL0 = QString::fromStdString(
            cliIni.substr(at + 6, cliIni.find('\r', at) - at - 6));

        click("bbnGo");
        QVERIFY(window().running());
        // A second run and another road wait; editing does not.
        QVERIFY(!get<QPushButton>("bbnGo")->isEnabled());
        QVERIFY(!get<QPushButton>("bbnLoadPara")->isEnabled());
        QVERIFY(!get<QAction>("actNeu")->isEnabled());
        QVERIFY(!get<QAction>("actGo")->isEnabled());
        QVERIFY(get("edtBreite")->isEnabled());
        // A field and a value of the model: both stay as edited.
        ui::type(get("edtBreite"), QStringLiteral("9"));
        ui::type(get("edtSplinePtsY"), QStringLiteral("12"));
        ui::focus(get("edtShapeName"));
        QApplication::processEvents();
        QVERIFY2(window().running(), "the run ended before the edit");
        QVERIFY(ui::waitForRun(window()));

        QCOMPARE(get("edtBreite")->text(), QStringLiteral("9"));
        QCOMPARE(window().parameters().breite, std::string("9"));
        QCOMPARE(window().parameters().splines.points().front().Y, 12.0);
        QCOMPARE(get("edtTexL0")->text(), nextTexL0);
        QVERIFY(readFile(file("lang.i3d")) == readFile(file("cli.i3d")));
        QVERIFY(get<QPushButton>("bbnGo")->isEnabled());
        QVERIFY(get<QPushButton>("bbnLoadPara")->isEnabled());
        QVERIFY(get<QAction>("actNeu")->isEnabled());
        // Both are steps of their own: undo takes back the run's TexL0, then the edits.
        window().undo();
        QCOMPARE(get("edtBreite")->text(), QStringLiteral("9"));
        window().undo();
        QVERIFY(get("edtBreite")->text() != QStringLiteral("9"));
        QCOMPARE(window().parameters().splines.points().front().Y, 0.0);
    }
};

QTEST_MAIN(BackgroundRunTest)
#include "background_run_test.moc"
