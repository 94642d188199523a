// Function set of reflective shaders: a lambert with a specular colour.
#ifndef VESK_MFNREFLECTSHADER_H
#define VESK_MFNREFLECTSHADER_H

#include <vesk/MFnLambertShader.h>
#include <vesk/VeskExport.h>

// A new reflective shader's specular colour is 0.5 grey.
class VESK_API MFnReflectShader : public MFnLambertShader {
public:
    MFnReflectShader() {}
    MFnReflectShader(const MObject& object, MStatus* status = nullptr);
    MFn::Type type() const override;

    // Makes a reflective shader "reflect1"; the flag is ignored.
    MObject create(bool uiHidden = true, MStatus* status = nullptr);

    MColor specularColor(MStatus* status = nullptr) const;
    MStatus setSpecularColor(const MColor& color);

protected:
    bool accepts(const MObject& object) const override;
};

#endif
