// An angle with its unit, and the process-wide angle units.
#ifndef VESK_MANGLE_H
#define VESK_MANGLE_H

#include <vesk/MStatus.h>
#include <vesk/VeskExport.h>

// Units: 1 radians, 2 degrees, 3 minutes of arc, 4 seconds of arc. The user
// interface unit starts as degrees and the internal unit as radians.
class VESK_API MAngle {
public:
    enum Unit {
        kInvalid = 0,
        kRadians = 1,
        kDegrees = 2,
        kAngMinutes = 3,
        kAngSeconds = 4,
        kLast = 5
    };

    MAngle() {}
    // A unit outside 1 to 4 counts as the internal unit.
    MAngle(double value, Unit unit = kRadians);

    Unit unit() const { return mUnit; }
    double value() const { return mValue; }
    // The angle in another unit; a unit outside 1 to 4 gives the value as is.
    double as(Unit unit) const;
    double asRadians() const { return as(kRadians); }
    double asDegrees() const { return as(kDegrees); }

    static Unit uiUnit();
    // Fails with kInvalidParameter, changing nothing, outside 1 to 4.
    static MStatus setUIUnit(Unit unit);
    static Unit internalUnit();
    static MStatus setInternalUnit(Unit unit);

private:
    double mValue = 0.0;
    Unit mUnit = kRadians;
};

#endif
