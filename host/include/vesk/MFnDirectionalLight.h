// Function set of directional lights.
#ifndef VESK_MFNDIRECTIONALLIGHT_H
#define VESK_MFNDIRECTIONALLIGHT_H

#include <vesk/MFnLight.h>
#include <vesk/VeskExport.h>

class VESK_API MFnDirectionalLight : public MFnLight {
public:
    MFnDirectionalLight() {}
    MFnDirectionalLight(const MObject& object, MStatus* status = nullptr);
    MFnDirectionalLight(const MDagPath& path, MStatus* status = nullptr);
    MFn::Type type() const override;

    // A new transform under parent with a directional light below it (see
    // MFnLight); returns the light. The flag is ignored.
    MObject create(const MObject& parent = MObject::kNullObj, bool uiHidden = true, MStatus* status = nullptr);

protected:
    bool accepts(const MObject& object) const override;
};

#endif
