// What the conversions between a camera's field of view and its focal
// length share: the film they measure against.
#ifndef QELVESK_PLUGIN_QELFILMMODIFIER_H
#define QELVESK_PLUGIN_QELFILMMODIFIER_H

#include "plugin/qelmodifier.h"

// The base of the field-of-view and focal-length modifiers: the camera's
// film, and the integer and float forms of Modify, which convert through
// Modify(double). The fields are filled directly; the object owns nothing.
class QelFilmModifier : public QelModifier {
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
    double Modify(double pValue) override = 0;

protected:
    // The film dimension A (millimetres) the angle spans: the aperture
    // height in vertical mode (2), else the aperture width times the
    // squeeze ratio.
    double FilmDimension() const;
};

#endif
