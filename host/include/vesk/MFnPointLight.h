// Function set of point lights (and of the two light kinds read as such).
#ifndef VESK_MFNPOINTLIGHT_H
#define VESK_MFNPOINTLIGHT_H

#include <vesk/MFnLight.h>
#include <vesk/VeskExport.h>

// Works on point lights and also on area and volume lights (kAreaLight,
// kVolumeLight).
class VESK_API MFnPointLight : public MFnLight {
public:
    MFnPointLight() {}
    MFnPointLight(const MObject& object, MStatus* status = nullptr);
    MFnPointLight(const MDagPath& path, MStatus* status = nullptr);
    MFn::Type type() const override;

    // A new transform under parent with a point light below it (see
    // MFnLight); returns the light. The flag is ignored.
    MObject create(const MObject& parent = MObject::kNullObj, bool uiHidden = true, MStatus* status = nullptr);

protected:
    bool accepts(const MObject& object) const override;
};

#endif
