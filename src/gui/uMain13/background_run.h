#pragma once

#include "generation/random_sequence.h"
#include "settings/parameter_set.h"
#include "uGlobal/messages.h"

#include <QObject>

#include <exception>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

class QThread;
class QTimer;

namespace trassolin::gui {

// "Go" on a thread of its own, so that the window keeps drawing and can cancel it. The run
// works on a copy of the window's parameters and says everything through the window's
// thread: its status log in batches (one insertion per batch rather than one per line, which
// made a long road's run several times slower in the window than on the command line), its
// progress by kilometre of path, and at the end its messages and what it made of the
// parameters, exactly as a run on the window's thread would have left them.
class BackgroundRun final : public QObject {
public:
    // An enabled edge's texture fields, read on the window's thread before the run started;
    // the run meets them (and the failure that stopped the reading) at the edge's turn.
    struct EdgeFields {
        std::optional<TRandPunkte> profile; // the edge with its fields read; none: not read
        std::exception_ptr failure;
    };

    struct Job {
        ParameterSet params;
        std::filesystem::path output;
        std::filesystem::path gltf; // empty: none
        char decimalSeparator = ',';
        RandomSequence random;
        EdgeFields right, left;
    };

    // A message of the run; `error` holds the failure itself for the window to describe.
    struct Note {
        MessageKind kind;
        std::string text;
        std::exception_ptr error;
    };

    struct Outcome {
        bool written = false;
        bool cancelled = false; // nothing of the run counts: parameters and random as before
        ParameterSet params;
        RandomSequence random;
        std::vector<Note> notes;
    };

    explicit BackgroundRun(QObject* parent = nullptr);
    // Cancels a run under way and waits for its thread.
    ~BackgroundRun() override;

    void start(Job job);
    // The run stops at its next segment or phase; the documents stay as they were, unless
    // they were already replacing their old files.
    void cancel();
    // Cancels and waits until the run has stopped; `onFinished` still follows.
    void cancelAndWait();
    bool running() const { return thread_ != nullptr; }

    // On the window's thread, while the run goes on and once more at its end.
    std::function<void()> onLogCleared;
    std::function<void(const QString& lines)> onLog; // the new lines, joined by '\n'
    std::function<void(double doneMetres, double totalMetres)> onProgress;
    // Once, after the last log lines.
    std::function<void(Outcome& outcome)> onFinished;

    // What the run's thread and the window's share.
    struct Shared;

private:
    void deliver();
    void finished();

    QThread* thread_ = nullptr;
    QTimer* timer_;
    std::shared_ptr<Shared> shared_;
};

} // namespace trassolin::gui
