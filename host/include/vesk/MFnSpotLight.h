// Function set of spot lights.
#ifndef VESK_MFNSPOTLIGHT_H
#define VESK_MFNSPOTLIGHT_H

#include <vesk/MFnLight.h>
#include <vesk/VeskExport.h>

class VESK_API MFnSpotLight : public MFnLight {
public:
    MFnSpotLight() {}
    MFnSpotLight(const MObject& object, MStatus* status = nullptr);
    MFnSpotLight(const MDagPath& path, MStatus* status = nullptr);
    MFn::Type type() const override;

    // A new transform under parent with a spot light below it (see
    // MFnLight); returns the light. The flag is ignored.
    MObject create(const MObject& parent = MObject::kNullObj, bool uiHidden = true, MStatus* status = nullptr);

    // The "coneAngle" plug, in radians; a value that is not finite fails.
    double coneAngle(MStatus* status = nullptr) const;
    MStatus setConeAngle(double angle);

protected:
    bool accepts(const MObject& object) const override;
};

#endif
