// The camera's focal length as a field of view.
#ifndef QELVESK_EXPORT_QELFOCALLENGTHTOFOVMODIFIER_H
#define QELVESK_EXPORT_QELFOCALLENGTHTOFOVMODIFIER_H

#include "plugin/qelfilmmodifier.h"

// Maps a focal length f (millimetres) to the field of view (degrees) that
// the film dimension A spans: 2 atan(0.5 (A / f)). f = 0 gives 180 degrees.
class QelFocalLengthToFOVModifier : public QelFilmModifier {
public:
    using QelFilmModifier::Modify;
    double Modify(double pValue) override;
};

#endif
