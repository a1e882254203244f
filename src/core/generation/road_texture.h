#pragma once

// V along the road surface: a running coordinate in texture repeats that is mirrored or reset
// when it leaves the band from -3.5 to 3.5, and can be mirrored at random stations.

#include <cmath>

namespace trassolin {

struct RoadTextureFlags {
    bool limitMirror = false;
    bool reset = false;
};

class RoadTexture {
public:
    // w := TexL0, shifted by -7 unless random mirroring is on (it then starts where TexL0 says).
    RoadTexture(double texL0, bool randomMirroring)
        : w_(randomMirroring ? texL0 : texL0 - 7.0) {}

    double coordinate() const { return w_; }
    int direction() const { return direction_; }

    // Whether this sample turns or resets the texture; decided before its vertices.
    RoadTextureFlags decide(double increment, bool resetInsteadOfMirror, bool finalSample) const {
        RoadTextureFlags flags;
        if (direction_ == 1 && w_ + increment >= 3.5) {
            if (resetInsteadOfMirror) {
                flags.reset = !finalSample;
            } else {
                flags.limitMirror = true;
            }
        }
        if (direction_ == -1 && w_ + increment <= -3.5) flags.limitMirror = true;
        return flags;
    }

    // After the sample's vertices: carry on from the V of the last border point written there.
    // Returns true when the coordinate was reset (the caller duplicates the seam vertices).
    bool advance(double lastV, bool mirror, RoadTextureFlags flags) {
        w_ = lastV;
        if (mirror || flags.limitMirror) direction_ = -direction_;
        if (flags.reset) {
            w_ = w_ - 7.0 - std::trunc(w_);
            return true;
        }
        return false;
    }

    // The coordinate reduced into [0, 1): where the next road starts in the texture.
    double nextRoadStart() const {
        double w = w_ - std::trunc(w_);
        if (w < 0.0) w += 1.0;
        if (w == 1.0) w = 0.0;
        return w;
    }

private:
    double w_;
    int direction_ = 1;
};

} // namespace trassolin
