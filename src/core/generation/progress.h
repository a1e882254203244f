#pragma once

namespace trassolin {

// How far a run has come along the path, and whether its caller wants it to stop. A caller
// that builds on another thread than the one asking to stop makes both calls thread-safe.
class RunProgress {
public:
    virtual ~RunProgress() = default;
    // After each segment of the path: metres of path done, of the whole path's, both counted
    // along the horizontal chords between the control points (known before any sample).
    virtual void advanced(double doneMetres, double totalMetres) = 0;
    // Asked before each segment of the path: true stops the run with RunCancelled.
    virtual bool cancelRequested() = 0;
};

// A run stopped because its caller asked it to: no message, no file touched, the status log
// holds what was reported until then. Not a failure, so no TrassolinError.
struct RunCancelled {};

} // namespace trassolin
