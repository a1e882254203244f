#pragma once

// V along the road surface and along each verge: a running coordinate in texture repeats that
// is mirrored or reset when it leaves the band from -3.5 to 3.5; on the road it can also be
// mirrored at random stations.

#include <cmath>

namespace trassolin {

struct RoadTextureFlags {
    bool limitMirror = false;
    bool reset = false;
};

class RoadTexture {
public:
    // w := TexL0, shifted by -7 unless random mirroring is on (it then starts where TexL0 says).
    // A verge's V starts as a road's with TexL0 0 and no random mirroring: at -7.
    RoadTexture(double texL0, bool randomMirroring)
        : w_(randomMirroring ? texL0 : texL0 - 7.0) {}

    double coordinate() const { return w_; }
    int direction() const { return direction_; }

    // Whether a station whose V is `v` turns or resets the texture: going up once V reaches
    // 3.5 (a reset never at the last station), going down once it reaches -3.5.
    RoadTextureFlags decideAt(double v, bool resetInsteadOfMirror, bool lastStation) const {
        RoadTextureFlags flags;
        if (direction_ == 1 && v >= 3.5) {
            if (resetInsteadOfMirror) {
                flags.reset = !lastStation;
            } else {
                flags.limitMirror = true;
            }
        }
        if (direction_ == -1 && v <= -3.5) flags.limitMirror = true;
        return flags;
    }
    // The same for a road sample, decided before its vertices from the coordinate it reaches.
    RoadTextureFlags decide(double increment, bool resetInsteadOfMirror, bool finalSample) const {
        return decideAt(w_ + increment, resetInsteadOfMirror, finalSample);
    }

    // After the station's vertices: carry on from the V of the last vertex written there.
    // Returns true when the coordinate was reset (shifted by whole repeats back to between -7
    // and -6, the place in the texture kept): the caller writes the seam's vertices again.
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
