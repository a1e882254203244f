// The window's costs a user feels:
//   BM_WindowGoAgainstCli/km  "Go" in the shown window (from the click to the finished run with
//                             its status log on screen) against `trassolin-cli generate` of
//                             the same parameter file as a process of its own, alternating;
//                             counters window_ms, cli_ms and ratio = window / command line
//                             (medians over the iterations).
//   BM_PreviewEditToPicture   the country road (examples/landstrasse.ini) loaded; each
//                             iteration types another road width, leaves the field and waits
//                             for the preview: edit_to_scene_ms until the new mesh is built in
//                             memory, edit_to_picture_ms until its picture is on screen. The
//                             picture needs OpenGL (the xcb platform, under xvfb-run too); on
//                             the offscreen platform only the first counter is measured.
//   BM_PreviewBuild           the preview's build alone on this thread: the parameters copied,
//                             the path refined, the mesh built and turned into GPU arrays.
// Runs on the offscreen platform unless a display or QT_QPA_PLATFORM says otherwise:
//   xvfb-run -a -s "-screen 0 1920x1200x24" env QT_QPA_PLATFORM=xcb build/bench/trassolin_window_bench
#include "common/widgets.h"
#include "generation/random_sequence.h"
#include "settings/parameter_file.h"
#include "uMain13/main_window.h"
#include "uVorschau/preview_build.h"
#include "uVorschau/preview_panel.h"
#include "winding_road.h"

#include <benchmark/benchmark.h>

#include <fcntl.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QAbstractButton>
#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QTimer>

#include <algorithm>
#include <chrono>
#include <ctime>
#include <cstdlib>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace {

using namespace trassolin;
using namespace trassolin::gui;

// Answers the window's file dialogs from a queue and its question with "Verwerfen".
class BenchPresenter final : public Presenter {
public:
    void message(QWidget*, MessageKind, const QString& text) override { messages << text; }
    int choose(QWidget*, const QString&, const QString&, const QStringList& choices) override {
        return static_cast<int>(choices.indexOf(QStringLiteral("Verwerfen")));
    }
    void about(QWidget*, const QString&, const QString&) override {}
    std::optional<QString> saveFileName(QWidget*, const FileDialogRequest&) override {
        if (answers.isEmpty()) return std::nullopt;
        return answers.takeFirst();
    }
    std::optional<QString> openFileName(QWidget* parent, const FileDialogRequest& r) override {
        return saveFileName(parent, r);
    }
    std::optional<QFont> font(QWidget*, const QFont&) override { return std::nullopt; }
    int execModal(QDialog&) override { return 0; }

    QStringList answers;
    QStringList messages;
};

std::filesystem::path benchFolder() {
    const auto folder = std::filesystem::temp_directory_path() / "trassolin-window-bench";
    std::filesystem::create_directories(folder);
    return folder;
}

// CPU time of this process (all its threads) and of its finished children, in ms.
double processCpuMs() {
    return static_cast<double>(std::clock()) * 1e3 / CLOCKS_PER_SEC;
}
double childrenCpuMs() {
    rusage usage{};
    getrusage(RUSAGE_CHILDREN, &usage);
    const auto ms = [](const timeval& t) {
        return static_cast<double>(t.tv_sec) * 1e3 + static_cast<double>(t.tv_usec) * 1e-3;
    };
    return ms(usage.ru_utime) + ms(usage.ru_stime);
}

// `trassolin-cli ARGUMENTS` as a process of its own, its output to /dev/null. Not through
// QProcess: after QProcess has started a program, the math library runs many times slower on
// the starting thread and on the threads it starts (its vector registers are left in a state
// that the next run would pay for), which would make the window's figures those of the bench.
bool runCommandLine(std::vector<std::string> arguments) {
    std::vector<char*> argv{const_cast<char*>(TRASSOLIN_CLI_PATH)};
    for (std::string& a : arguments) argv.push_back(a.data());
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    pid_t pid = 0;
    const int spawned = posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    int status = 0;
    return spawned == 0 && waitpid(pid, &status, 0) == pid && WIFEXITED(status) &&
           WEXITSTATUS(status) == 0;
}

double median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    const std::size_t n = v.size();
    return n == 0 ? 0.0 : (n % 2 == 1 ? v[n / 2] : (v[n / 2 - 1] + v[n / 2]) / 2.0);
}

// Waits as the window's event loop does, without spinning: a spinning wait would take a core
// from the run it waits for and count as the window's CPU time.
template <typename Done> bool waitFor(Done done, int timeoutMs = 600000) {
    QElapsedTimer clock;
    clock.start();
    QTimer wake; // in case the awaited change posts no event of its own
    wake.start(20);
    while (!done()) {
        if (clock.elapsed() > timeoutMs) return false;
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    }
    return true;
}

// The window with a road loaded and its output chosen, shown as a user sees it.
struct ShownWindow {
    BenchPresenter presenter;
    std::optional<TForm1> window;

    ShownWindow(const std::filesystem::path& road, const std::filesystem::path& output) {
        window.emplace(presenter);
        window->show();
        // Leaving a field is an edit only in the active window; a virtual X server has no
        // window manager to make it so.
        QApplication::setActiveWindow(&*window);
        window->openRoad(fromPath(road));
        presenter.answers << fromPath(output);
        window->bbnSaveClick();
        QCoreApplication::processEvents();
    }
    QAbstractButton* go() { return window->findChild<QAbstractButton*>(QStringLiteral("bbnGo")); }
    bool previewIdle() { return window->preview().idle(); }
};

void BM_WindowGoAgainstCli(benchmark::State& state) {
    const double km = static_cast<double>(state.range(0));
    const auto road = benchFolder() / ("road-" + std::to_string(state.range(0)) + "km.ini");
    bench::writeWindingRoad(road, km);
    const auto windowOutput = benchFolder() / "window.i3d";
    const auto cliOutput = benchFolder() / "cli.i3d";
    ShownWindow shown(road, windowOutput);
    waitFor([&] { return shown.previewIdle(); });
    std::vector<double> windowTimes, cliTimes, ratios, windowCpu, cliCpu, cpuRatios;
    for (auto _ : state) {
        QElapsedTimer clock;
        double cpu = processCpuMs();
        clock.start();
        shown.go()->click();
        // The run ends when Go can be clicked again.
        if (!waitFor([&] { return shown.go()->isEnabled(); })) {
            state.SkipWithError("Go did not finish");
            break;
        }
        QCoreApplication::processEvents();
        const double window = static_cast<double>(clock.nsecsElapsed()) * 1e-6;
        const double windowCpuMs = processCpuMs() - cpu;
        // The preview builds the road anew after the run: the command line gets the machine
        // to itself, as the run had it.
        waitFor([&] { return shown.previewIdle(); });
        cpu = childrenCpuMs();

        clock.restart();
        if (!runCommandLine({"generate", road.string(), cliOutput.string()})) {
            state.SkipWithError("trassolin-cli generate failed");
            break;
        }
        const double commandLine = static_cast<double>(clock.nsecsElapsed()) * 1e-6;
        const double cliCpuMs = childrenCpuMs() - cpu;
        windowCpu.push_back(windowCpuMs);
        cliCpu.push_back(cliCpuMs);
        cpuRatios.push_back(windowCpuMs / cliCpuMs);
        state.SetIterationTime((window + commandLine) * 1e-3);
        windowTimes.push_back(window);
        cliTimes.push_back(commandLine);
        ratios.push_back(window / commandLine);
    }
    if (!shown.presenter.messages.isEmpty()) {
        state.SkipWithError(qPrintable(shown.presenter.messages.join(QLatin1Char('\n'))));
    }
    state.counters["window_ms"] = median(windowTimes);
    state.counters["cli_ms"] = median(cliTimes);
    state.counters["ratio"] = median(ratios);
    state.counters["window_cpu_ms"] = median(windowCpu);
    state.counters["cli_cpu_ms"] = median(cliCpu);
    state.counters["cpu_ratio"] = median(cpuRatios);
    shown.window.reset();
    std::filesystem::remove(windowOutput);
    std::filesystem::remove(cliOutput);
}

BENCHMARK(BM_WindowGoAgainstCli)->Arg(2)->Iterations(11)->UseManualTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_WindowGoAgainstCli)->Arg(100)->Iterations(5)->UseManualTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_WindowGoAgainstCli)->Arg(2000)->Iterations(3)->UseManualTime()->Unit(benchmark::kMillisecond);

const std::filesystem::path kCountryRoad = TRASSOLIN_EXAMPLES_DIR "/landstrasse.ini";

void BM_PreviewEditToPicture(benchmark::State& state) {
    ShownWindow shown(kCountryRoad, benchFolder() / "preview.i3d");
    PreviewPanel* preview = &shown.window->preview();
    auto* width = shown.window->findChild<QLineEdit*>(QStringLiteral("edtBreite"));
    auto* shapeName = shown.window->findChild<QLineEdit*>(QStringLiteral("edtShapeName"));
    if (preview == nullptr || width == nullptr) {
        state.SkipWithError("no preview");
        return;
    }
    const bool pictures = preview->drawsPictures();
    waitFor([&] { return preview->builtGeneration() == preview->requestedGeneration(); });
    std::vector<double> toScene, toPicture;
    int step = 0;
    for (auto _ : state) {
        width->setFocus();
        width->setText(QString::number(6 + (++step % 4)));
        const quint64 before = preview->requestedGeneration();
        QElapsedTimer clock;
        clock.start();
        shapeName->setFocus(); // leaving the field is the edit
        const auto wanted = [&] { return preview->requestedGeneration(); };
        if (!waitFor([&] { return wanted() > before && preview->builtGeneration() == wanted(); },
                     10000)) {
            state.SkipWithError("the preview did not follow the edit");
            break;
        }
        toScene.push_back(static_cast<double>(clock.nsecsElapsed()) * 1e-6);
        if (pictures) {
            if (!waitFor([&] { return preview->shownGeneration() == wanted(); }, 10000)) {
                state.SkipWithError("the preview showed no picture of the edit");
                break;
            }
            toPicture.push_back(static_cast<double>(clock.nsecsElapsed()) * 1e-6);
        }
        state.SetIterationTime(static_cast<double>(clock.nsecsElapsed()) * 1e-9);
    }
    state.counters["edit_to_scene_ms"] = median(toScene);
    if (pictures) state.counters["edit_to_picture_ms"] = median(toPicture);
}

BENCHMARK(BM_PreviewEditToPicture)->Iterations(21)->UseManualTime()->Unit(benchmark::kMillisecond);

void BM_PreviewBuild(benchmark::State& state) {
    ParameterSet road;
    CollectingMessageSink messages;
    loadParameterFile(kCountryRoad, road, messages);
    const RandomSequence random;
    for (auto _ : state) {
        PreviewRequest request{road, ',', random, {}};
        const PreviewBuildResult built = buildPreview(std::move(request), nullptr);
        benchmark::DoNotOptimize(built.scene);
        if (!built.scene) state.SkipWithError(built.failure.c_str());
    }
}

BENCHMARK(BM_PreviewBuild)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM") && qEnvironmentVariableIsEmpty("DISPLAY") &&
        qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    QApplication app(argc, argv);
    // The window keeps its preferences in the working directory.
    QDir::setCurrent(trassolin::gui::fromPath(benchFolder()));
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
