// A camera's field of view as a focal length.
#ifndef QELVESK_PLUGIN_QELFOVTOFOCALLENGTHMODIFIER_H
#define QELVESK_PLUGIN_QELFOVTOFOCALLENGTHMODIFIER_H

#include "plugin/qelfilmmodifier.h"

// Maps a field of view a (degrees) to the focal length (millimetres) at
// which the film dimension A spans it: 0.5 A / tan(a / 2). a = 0 gives 0.
class QelFOVToFocalLengthModifier : public QelFilmModifier {
public:
    using QelFilmModifier::Modify;
    double Modify(double pValue) override;
};

#endif
