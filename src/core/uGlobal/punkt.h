#pragma once

#include <cstdint>
#include <vector>

namespace trassolin {

// One pose or mesh vertex. Positions in metres (Y up), rotations in radians. The rotations
// about X and Z follow the right-hand rule; the one about Y turns the other way (+Z towards -X),
// and a path pose's local +X points to the left of the direction of travel.
struct TPunkt {
    std::int32_t index = 0; // free for the owner (the end-face fill keeps outline positions here)
    double x = 0.0, y = 0.0, z = 0.0;
    double nx = 0.0, ny = 1.0, nz = 0.0;
    double u = 0.0, v = 0.0;
    double xrot = 0.0, yrot = 0.0, zrot = 0.0;

    // Position, normal and rotations back to the origin pose; index, u and v stay.
    void resetPose();
    // result.position = this - other and result.rotations = this - other; nothing else of result.
    void difference(const TPunkt& other, TPunkt& result) const;
    double length() const;
    double horizontalLength() const; // over x and z only
    // Up vector turned about Z by zrot, tilted about X by -xrot, turned about Y by yrot.
    void normalFromRotations();
    // Moves along the pose's own lateral axis (+X turned by zrot, then yrot; xrot plays no
    // part): positive d to the left of the direction of travel, negative to the right.
    void offsetLateral(double d);
    // Rotate position and normal about the world axis through the origin; adds a to the angle.
    void rotateX(double a);
    void rotateY(double a);
    void rotateZ(double a);
};

// Y component of a x b: which side of a the point b lies on, seen from above.
double horizontalCross(const TPunkt& a, const TPunkt& b);

// An owning list of points with a centroid. Pointers from get() stay valid until the next add.
class TPunkteSammlung {
public:
    int count() const { return static_cast<int>(points_.size()); }
    // Appends a new point and returns its index (count - 1).
    int add();
    // The point at index; nullptr past the end. A negative index throws std::out_of_range.
    TPunkt* get(int index);
    const TPunkt* get(int index) const;
    // Removes the point at index and closes the gap; other indices are ignored.
    void erase(int index);
    void clear() { points_.clear(); }
    // Mean of all positions; the centroid's normal is reset, its u, v and index stay.
    // An empty list leaves the centroid at the origin.
    void computeCentroid();
    const TPunkt& centroid() const { return centroid_; }

    const std::vector<TPunkt>& points() const { return points_; }
    std::vector<TPunkt>& points() { return points_; }

private:
    std::vector<TPunkt> points_;
    TPunkt centroid_;
};

} // namespace trassolin
