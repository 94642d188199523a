// Function set of cameras: clipping, lens, film back, projection.
#ifndef VESK_MFNCAMERA_H
#define VESK_MFNCAMERA_H

#include <vesk/MFnDagNode.h>
#include <vesk/MSpace.h>
#include <vesk/MVector.h>
#include <vesk/VeskExport.h>

// Values are the camera shape's plugs. A new camera has: near clipping plane
// 0.01 and far 1000 (internal lengths), clipping planes on, focal length 35
// (millimetres), lens squeeze ratio 1, horizontal film aperture 1.41732 and
// vertical 0.94488 (inches), film fit horizontal, perspective projection,
// focus distance 5 and centre of interest 5. Setters refuse values that are
// not finite (and film fits outside 0 to 3) with kInvalidParameter; ranges
// are not clamped.
class VESK_API MFnCamera : public MFnDagNode {
public:
    enum FilmFit { kFillFilmFit = 0, kHorizontalFilmFit = 1, kVerticalFilmFit = 2, kOverscanFilmFit = 3, kInvalid = 4 };

    MFnCamera() {}
    MFnCamera(const MObject& object, MStatus* status = nullptr);
    // Binds to the path's camera (a transform's first camera shape).
    MFnCamera(const MDagPath& path, MStatus* status = nullptr);
    MFn::Type type() const override;

    double nearClippingPlane(MStatus* status = nullptr) const;
    MStatus setNearClippingPlane(double distance);
    double farClippingPlane(MStatus* status = nullptr) const;
    MStatus setFarClippingPlane(double distance);
    bool isClippingPlanes(MStatus* status = nullptr) const;
    MStatus setClippingPlanes(bool on);
    double focalLength(MStatus* status = nullptr) const;
    MStatus setFocalLength(double millimetres);
    double lensSqueezeRatio(MStatus* status = nullptr) const;
    MStatus setLensSqueezeRatio(double ratio);
    FilmFit filmFit(MStatus* status = nullptr) const;
    MStatus setFilmFit(FilmFit fit);
    double horizontalFilmAperture(MStatus* status = nullptr) const;
    MStatus setHorizontalFilmAperture(double inches);
    double verticalFilmAperture(MStatus* status = nullptr) const;
    MStatus setVerticalFilmAperture(double inches);
    bool isOrtho(MStatus* status = nullptr) const;
    MStatus setIsOrtho(bool orthographic);
    double focusDistance(MStatus* status = nullptr) const;
    MStatus setFocusDistance(double distance);
    double centerOfInterest(MStatus* status = nullptr) const;
    MStatus setCenterOfInterest(double distance);
    // The camera's up axis (0, 1, 0) in object space, or turned into world
    // space by the camera path's world matrix (kWorld), unit length.
    MVector upDirection(MSpace::Space space = MSpace::kObject, MStatus* status = nullptr) const;

protected:
    bool accepts(const MObject& object) const override;
};

#endif
