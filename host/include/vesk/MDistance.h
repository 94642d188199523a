// A length with its unit, and the process-wide distance unit.
#ifndef VESK_MDISTANCE_H
#define VESK_MDISTANCE_H

#include <vesk/MStatus.h>
#include <vesk/VeskExport.h>

// Units: 1 inches, 2 feet, 3 yards, 4 miles, 5 millimetres, 6 centimetres,
// 7 kilometres, 8 metres. Lengths are stored in centimetres (the internal
// unit); the user interface unit starts as centimetres.
class VESK_API MDistance {
public:
    enum Unit {
        kInvalid = 0,
        kInches = 1,
        kFeet = 2,
        kYards = 3,
        kMiles = 4,
        kMillimeters = 5,
        kCentimeters = 6,
        kKilometers = 7,
        kMeters = 8,
        kLast = 9
    };

    MDistance() {}
    // A unit outside 1 to 8 counts as centimetres.
    MDistance(double value, Unit unit = kCentimeters);

    Unit unit() const { return mUnit; }
    double value() const { return mValue; }
    // The length in another unit; a unit outside 1 to 8 gives the value as is.
    double as(Unit unit) const;
    double asCentimeters() const { return as(kCentimeters); }

    static Unit uiUnit();
    // Fails with kInvalidParameter, changing nothing, outside 1 to 8.
    static MStatus setUIUnit(Unit unit);
    static Unit internalUnit() { return kCentimeters; }

private:
    double mValue = 0.0;
    Unit mUnit = kCentimeters;
};

#endif
