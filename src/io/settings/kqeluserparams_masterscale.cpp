// Unit descriptions and master scales from the application's length unit.
#include "io/settings/kqeluserparams.h"

namespace qelsdk_600 {

namespace {

// Per unit: the import side's text and factor (application units in one
// centimetre), the export side's text and factor (centimetres in one unit).
// The texts are for display and comparison; their digits are not parsed.
struct UnitRow {
    const char* mImportText;
    double mImportFactor;
    const char* mExportText;
    double mExportFactor;
};

const UnitRow kUnits[KQelUserParams::eSysUnitCount] = {
    {"Detected destination world unit = Unit\n1 centimeter = 1 unit", 1.0,
     "Detected source world unit = Unit\n1 unit = 1 centimeter", 1.0},
    {"Detected destination world unit = Inches\n1 centimeter = 0.3937000 inches", 0.3937,
     "Detected source world unit = Inch\n1 inch = 2.54 centimeters", 2.54},
    {"Detected destination world unit = Feet\n1 centimeter = 0.0328080 feet", 0.0328084,
     "Detected source world unit = Feet\n1 feet = 30.48 centimeters", 30.48},
    {"Detected destination world unit = Yard\n1 centimeter = 0.010936 yards", 0.010936,
     "Detected source world unit = Yard\n1 yard = 91.44 centimeters", 91.44},
    {"Detected destination world unit = Miles\n1 centimeter = 0.0000062 miles", 0.000006213,
     "Detected source world unit = Mile\n1 mile = 160934.4 centimeters", 160934.4},
    {"Detected destination world unit = Millimeters\n1 centimeter = 10 millimeters", 10.0,
     "Detected source world unit = Millimeter\n1 millimeter = 0.1 centimeters", 0.1},
    {"Detected destination world unit = Centimeters\n1 centimeter = 1 centimeter", 1.0,
     "Detected source world unit = Centimeter\n1 centimeter = 1 centimeter", 1.0},
    {"Detected destination world unit = Meter\n1 centimeter = 0.01 meter", 0.01,
     "Detected source world unit = Meter\n1 meter = 100 centimeters", 100.0},
    {"Detected destination world unit = Kilometer\n1 centimeter = 0.00001 kilometer", 0.00001,
     "Detected source world unit = Kilometer\n1 kilometer = 100000 centimeters", 100000.0},
};

}  // namespace

void KQelUserParams::ComputeMasterScale(bool pImport, bool pTextOnly)
{
    ESysUnits unit = GetSystemUnitInfo();
    const UnitRow* row = unit >= 0 && unit < eSysUnitCount ? &kUnits[unit] : nullptr;
    if (pImport) {
        double scale = 1.0;
        if (row) {
            SetStringParam(kImportMasterUnitStr, row->mImportText);
            scale = row->mImportFactor;
        }
        if (!pTextOnly)
            SetDoubleParam(kImportMasterScale, scale);
        return;
    }
    double scale = GetSystemScale(unit);
    if (row) {
        SetStringParam(kExportMasterUnitStr, row->mExportText);
        scale *= row->mExportFactor;
    }
    if (!pTextOnly)
        SetDoubleParam(kExportMasterScale, scale);
}

}  // namespace qelsdk_600
