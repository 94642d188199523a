// A camera's field of view as a focal length.
#ifndef QELVESK_PLUGIN_QELFOVTOFOCALLENGTHMODIFIER_H
#define QELVESK_PLUGIN_QELFOVTOFOCALLENGTHMODIFIER_H

#include <cstdint>

#include "plugin/qelmodifier.h"

// Maps a field of view a (degrees) to the focal length (millimetres) at
// which a film dimension A spans it: 0.5 A / tan(a / 2). A is the aperture
// height in vertical mode (2), else the aperture width times the squeeze
// ratio. a = 0 gives 0. The fields are filled directly; the object owns
// nothing.
class QelFOVToFocalLengthModifier : public QelModifier {
public:
    // Millimetres: the camera's film width and height (inches) x 25.4.
    double mApertureWidth = 0.0;
    double mApertureHeight = 0.0;
    double mSqueezeRatio = 1.0;
    // KQelCamera::ECameraApertureMode: 0 horizontal and vertical, 1
    // horizontal, 2 vertical.
    std::int32_t mApertureMode = 0;

    int Modify(int pValue) override;
    long Modify(long pValue) override;
    unsigned int Modify(unsigned int pValue) override;
    float Modify(float pValue) override;
    double Modify(double pValue) override;
};

#endif
