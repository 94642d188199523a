// Function set of phong shaders: a reflective shader with a cosine power.
#ifndef VESK_MFNPHONGSHADER_H
#define VESK_MFNPHONGSHADER_H

#include <vesk/MFnReflectShader.h>
#include <vesk/VeskExport.h>

// A new phong's cosine power is 20.
class VESK_API MFnPhongShader : public MFnReflectShader {
public:
    MFnPhongShader() {}
    MFnPhongShader(const MObject& object, MStatus* status = nullptr);
    MFn::Type type() const override;

    // Makes a phong "phong1"; the flag is ignored.
    MObject create(bool uiHidden = true, MStatus* status = nullptr);

    float cosPower(MStatus* status = nullptr) const;
    // A power that is not finite fails with kInvalidParameter.
    MStatus setCosPower(float power);

protected:
    bool accepts(const MObject& object) const override;
};

#endif
