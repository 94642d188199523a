// The camera's focal length as a field of view.
#ifndef QELVESK_EXPORT_QELFOCALLENGTHTOFOVMODIFIER_H
#define QELVESK_EXPORT_QELFOCALLENGTHTOFOVMODIFIER_H

#include "plugin/qelmodifier.h"

// Maps a focal length f (millimetres) to the field of view (degrees) that a
// film dimension A spans: 2 atan(0.5 (A / f)). A is the aperture height in
// vertical mode (2), else the aperture width times the squeeze ratio. The
// fields are filled directly; f = 0 gives 180 degrees.
class QelFocalLengthToFOVModifier : public QelModifier {
public:
    // Millimetres: the camera's film width and height (inches) x 25.4.
    double mApertureWidth = 0.0;
    double mApertureHeight = 0.0;
    double mSqueezeRatio = 1.0;
    // KQelCamera::ECameraApertureMode: 0 horizontal and vertical, 1
    // horizontal, 2 vertical.
    int mApertureMode = 0;

    int Modify(int pValue) override;
    long Modify(long pValue) override;
    unsigned int Modify(unsigned int pValue) override;
    float Modify(float pValue) override;
    double Modify(double pValue) override;
};

#endif
