// The program's command line and the hook that presses Go for scripts: a parameter file named
// at the start comes up loaded, and the document the hook writes is the command line's.

#include "gui_test_support.h"

#include "common/widgets.h"
#include "support/test_support.h"
#include "uMain13/main_window.h"
#include "uMain13/start_arguments.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

#include <memory>

using namespace trassolin::gui;
namespace ui = trassolin::gui::test;

class StartArgumentsTest : public QObject {
    Q_OBJECT

private:
    std::unique_ptr<ui::WorkingFolder> folder_;
    std::unique_ptr<ui::ScriptedPresenter> presenter_;
    std::unique_ptr<TForm1> window_;

    template <class W = QLineEdit> W* get(const char* name) { return ui::control<W>(*window_, name); }
    QString loadedName() { return get<QLabel>("lblParameter")->text(); }
    static QString example(const char* name) {
        return QString::fromUtf8(TRASSOLIN_EXAMPLES_DIR "/") + QString::fromLatin1(name);
    }
    QString file(const char* name) { return fromPath(folder_->path() / name); }

private Q_SLOTS:
    void init() {
        folder_ = std::make_unique<ui::WorkingFolder>();
        presenter_ = std::make_unique<ui::ScriptedPresenter>();
        window_ = std::make_unique<TForm1>(*presenter_);
        QVERIFY(ui::showActive(*window_));
    }
    void cleanup() {
        window_.reset();
        folder_.reset();
    }

    void theParameterFileNamedAtTheStartComesUpLoaded() {
        window_->openCommandLine({example("dorfstrasse.ini")});
        QVERIFY2(presenter_->messages.empty(), qPrintable(presenter_->texts().join('\n')));
        QCOMPARE(get<QLabel>("lblParameter1")->text(), QStringLiteral("Parameter geladen aus"));
        QCOMPARE(loadedName(), QStringLiteral("dorfstrasse.ini"));
        QCOMPARE(get("edtShapeName")->text(), QStringLiteral("Dorfstrasse"));
        QVERIFY(get<QCheckBox>("cboRandRenable")->isChecked());
        // Loading names no document: Go waits for "i3d-File".
        QVERIFY(!get<QPushButton>("bbnGo")->isEnabled());
    }

    void aFileThatCannotBeReadIsSaidAndNothingIsLoaded() {
        window_->openCommandLine({file("fehlt.ini")});
        QCOMPARE(presenter_->messages.size(), std::size_t{1});
        QCOMPARE(presenter_->messages.front().kind, trassolin::MessageKind::Error);
        QVERIFY2(presenter_->messages.front().text.contains(QStringLiteral("fehlt.ini")),
                 qPrintable(presenter_->messages.front().text));
        QCOMPARE(loadedName(), QStringLiteral("frei eingegeben"));
        QVERIFY(window_->isVisible());
    }

    void severalFilesLoadNoneOfThem() {
        window_->openCommandLine({example("dorfstrasse.ini"), example("landstrasse.ini")});
        QCOMPARE(presenter_->texts(),
                 QStringList{QStringLiteral("Beim Start kann nur eine Parameterdatei geladen "
                                            "werden, nicht 2; keine geladen.")});
        QCOMPARE(loadedName(), QStringLiteral("frei eingegeben"));
        QCOMPARE(get("edtShapeName")->text(), QStringLiteral("Strasse"));
    }

    void goPressedForScriptsWritesTheCommandLinesDocument() {
        window_->openCommandLine({example("landstrasse.ini")});
        pressGoFor(*window_, file("fenster.i3d"));
        QVERIFY2(presenter_->messages.empty(), qPrintable(presenter_->texts().join('\n')));
        QCOMPARE(get("edtFileName")->text(), file("fenster.i3d"));

        QCOMPARE(ui::runCommandLine({QStringLiteral("generate"), example("landstrasse.ini"),
                                     file("kommandozeile.i3d")}),
                 0);
        const std::string fromWindow = trassolin::test::readFile(folder_->path() / "fenster.i3d");
        QVERIFY(fromWindow.size() > 100000);
        QVERIFY(fromWindow == trassolin::test::readFile(folder_->path() / "kommandozeile.i3d"));
    }
};

QTEST_MAIN(StartArgumentsTest)
#include "start_arguments_test.moc"
