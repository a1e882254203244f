// "Go": the run on a thread of its own, its progress bar and "Abbrechen", and what the window
// makes of the run once it has ended.

#include "uMain13/main_window.h"

#include "common/widgets.h"
#include "io/paths.h"
#include "uGlobal/errors.h"
#include "uGlobal/numbers.h"
#include "uMain13/edge_panel.h"
#include "uMain13/edge_texture_group.h"
#include "uMain13/edit_history.h"
#include "uMain13/road_texture_group.h"
#include "uVorschau/preview_panel.h"

#include <QAction>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QMenu>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>

#include <algorithm>
#include <cmath>
#include <system_error>

namespace trassolin::gui {

namespace {

constexpr int kProgressSteps = 1000;

bool existsNow(const std::filesystem::path& file) {
    std::error_code ec;
    return !file.empty() && std::filesystem::exists(file, ec);
}

// One decimal of a kilometre.
QString kilometres(double metres, char separator) {
    return formatNumber(decimalRound(metres / 1000.0, -1), separator);
}

void setEnabledOf(QObject* object, bool on) {
    if (auto* widget = qobject_cast<QWidget*>(object)) widget->setEnabled(on);
    if (auto* action = qobject_cast<QAction*>(object)) action->setEnabled(on);
}

bool enabledOf(const QObject* object) {
    if (const auto* widget = qobject_cast<const QWidget*>(object)) return widget->isEnabled();
    if (const auto* action = qobject_cast<const QAction*>(object)) return action->isEnabled();
    return false;
}

} // namespace

void TForm1::addRunBar(QHBoxLayout* row) {
    progress_ = named(new QProgressBar, QStringLiteral("prbGo"));
    progress_->setRange(0, kProgressSteps);
    progress_->setMinimumWidth(16 * fontMetrics().averageCharWidth());
    progress_->setVisible(false);
    cancel_ = makePushButton(QStringLiteral("btnAbbrechen"), QStringLiteral("Abbrechen"));
    cancel_->setToolTip(QStringLiteral("Den Lauf abbrechen: die Dokumente bleiben, wie sie waren"));
    cancel_->setVisible(false);
    // Their place is kept while they are hidden: showing them then repaints only them, not
    // the whole window laid out anew (which cost a short run more than the run itself).
    for (QWidget* w : std::initializer_list<QWidget*>{progress_, cancel_}) {
        QSizePolicy policy = w->sizePolicy();
        policy.setRetainSizeWhenHidden(true);
        w->setSizePolicy(policy);
    }
    row->addWidget(progress_, 1);
    row->addWidget(cancel_);
    run_ = new BackgroundRun(this);
    run_->onLogCleared = [this] { status_->clear(); };
    // One insertion per batch: a line at a time laid out the log anew for every line.
    run_->onLog = [this](const QString& lines) { status_->appendPlainText(lines); };
    run_->onProgress = [this](double done, double total) { showProgress(done, total); };
    run_->onFinished = [this](BackgroundRun::Outcome& outcome) { runFinished(outcome); };
    connect(cancel_, &QPushButton::clicked, this, [this] { cancelRun(); });
}

bool TForm1::running() const { return run_ != nullptr && run_->running(); }

void TForm1::cancelRun() {
    if (!running()) return;
    run_->cancel();
    cancel_->setEnabled(false);
    progress_->setFormat(QStringLiteral("Wird abgebrochen …"));
}

void TForm1::bbnGoClick() {
    if (running()) return;
    // An edit made just before is a step of its own, not part of the run's.
    history_->recordNow();
    for (EdgePanel* edge : {right_, left_}) {
        if (edge->profile().enabled) edge->recomputeSilently();
    }
    fieldsToParameters();
    BackgroundRun::Job job;
    job.params = params_;
    job.output = toPath(fileName_->text());
    const QString gltf = gltfFile_->text().trimmed();
    if (!gltf.isEmpty()) job.gltf = toPath(gltf);
    job.decimalSeparator = separator_;
    job.random = random_;
    // Fields are read here, on the window's thread; the run meets what was read (or the
    // field that is no number) at each edge's turn, as if it had read the field itself.
    for (EdgePanel* edge : {right_, left_}) {
        if (!edge->profile().enabled) continue;
        BackgroundRun::EdgeFields& fields = edge == right_ ? job.right : job.left;
        fields.profile = edge->profile();
        try {
            edge->texture()->readForRun(*fields.profile);
        } catch (...) {
            fields.failure = std::current_exception();
            break;
        }
    }
    historyAtRun_ = history_->stack().index();
    roadFileAtRun_ = roadFile_;
    runOutput_ = job.output;
    runGltf_ = job.gltf;
    outputExisted_ = existsNow(runOutput_);
    gltfExisted_ = existsNow(runGltf_);
    run_->start(std::move(job));
    setRunning(true);
}

void TForm1::showProgress(double doneMetres, double totalMetres) {
    const double part = totalMetres > 0.0 ? std::clamp(doneMetres / totalMetres, 0.0, 1.0) : 1.0;
    const int steps = static_cast<int>(std::lround(part * kProgressSteps));
    progress_->setValue(steps);
    QString text = QStringLiteral("%1 von %2 km")
                       .arg(kilometres(doneMetres, separator_), kilometres(totalMetres, separator_));
    if (steps == kProgressSteps) text += QStringLiteral(" – Ränder und Dokument …");
    if (cancel_->isEnabled()) progress_->setFormat(text);
    progress_->setAccessibleDescription(QStringLiteral("Go läuft: ") + text);
}

void TForm1::setRunning(bool on) {
    progress_->setVisible(on);
    cancel_->setVisible(on);
    cancel_->setEnabled(on);
    if (on) {
        progress_->setValue(0);
        progress_->setFormat(QStringLiteral("Go läuft …"));
        progress_->setAccessibleDescription(QStringLiteral("Go läuft"));
        // The fields stay usable; what starts another run or puts another road in place of
        // the one being built waits. (Disabling every field cost more than a short run.)
        setGoEnabled(goWanted_);
        const QList<QObject*> locked{
            findChild<QPushButton*>(QStringLiteral("bbnLoadPara")),
            findChild<QAction*>(QStringLiteral("actNeu")), recentMenu_->menuAction(),
            findChild<QMenu*>(QStringLiteral("mnuVorlage"))->menuAction()};
        lockedByRun_.clear();
        for (QObject* object : locked) {
            lockedByRun_.emplace_back(object, enabledOf(object));
            setEnabledOf(object, false);
        }
        preview_->setPaused(true);
        return;
    }
    for (const auto& [object, was] : lockedByRun_) {
        if (object) setEnabledOf(object, was);
    }
    lockedByRun_.clear();
    refreshRecentMenu(); // a save during the run may have added a file
    setGoEnabled(goWanted_);
}

void TForm1::runFinished(BackgroundRun::Outcome& outcome) {
    setRunning(false);
    guarded(messages_, [&] {
        // An edit made during the run is a step of its own.
        history_->recordNow();
        const bool roadBuilt = outcome.written && outcome.params.fahrbahnErzeugen;
        if (!outcome.cancelled) {
            random_ = outcome.random;
            if (history_->stack().index() == historyAtRun_ && roadFile_ == roadFileAtRun_) {
                // What the run made of the parameters, as a run on this thread leaves it.
                params_ = std::move(outcome.params);
            } else if (roadFile_ == roadFileAtRun_) {
                // Edited meanwhile: the edits stay, and the next road continues the texture.
                params_.roadTexturePixels = outcome.params.roadTexturePixels;
                if (outcome.written) {
                    params_.texL0 = outcome.params.texL0;
                    params_.previousTexL0 = outcome.params.previousTexL0;
                }
            }
        }
        for (const BackgroundRun::Note& note : outcome.notes) {
            if (!note.error) {
                messages_.show(note.kind, note.text);
                continue;
            }
            try {
                std::rethrow_exception(note.error);
            } catch (const TrassolinError& e) {
                messages_.showError(e);
            } catch (const std::exception& e) {
                messages_.show(MessageKind::Error, e.what());
            }
        }
        if (outcome.cancelled) {
            std::string left = leftAsItWas(runOutput_, outputExisted_);
            if (!runGltf_.empty()) left += ", " + leftAsItWas(runGltf_, gltfExisted_);
            status_->appendPlainText(toQt(nothingWritten(left)));
            return;
        }
        outputWritten_ = outputWritten_ || outcome.written;
        if (params_.splines.count() < 2) setGoEnabled(false);
        if (roadBuilt && roadFile_ == roadFileAtRun_) {
            roadTexture_->texL0Field()->setText(toQt(params_.texL0));
            // Two runs of one road give two documents: each continues the texture where the
            // last one ended. Said here, so that nobody takes it for a fault.
            status_->appendPlainText(
                QStringLiteral("TexL0 für die nächste Straße: %1 – ein weiteres Go setzt "
                               "die Textur dort fort; der Knopf neben TexL0 stellt %2 "
                               "wieder her")
                    .arg(toQt(params_.texL0), formatNumber(params_.previousTexL0, separator_)));
            history_->recordNow(QStringLiteral("Go (TexL0)"));
        }
    });
    // The preview's build that the run interrupted, once more.
    preview_->setPaused(false);
    showRoadInPreview();
}

} // namespace trassolin::gui
