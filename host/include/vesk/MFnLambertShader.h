// Function set of lambert shaders (and of the reflective and phong shaders
// built on them).
#ifndef VESK_MFNLAMBERTSHADER_H
#define VESK_MFNLAMBERTSHADER_H

#include <vesk/MColor.h>
#include <vesk/MFnDependencyNode.h>
#include <vesk/VeskExport.h>

// Colours are the shader's float plugs ("color", "transparency",
// "ambientColor"); their alpha reads 1 and is not kept. A new lambert has
// colour 0.5 grey, transparency and ambient colour black.
class VESK_API MFnLambertShader : public MFnDependencyNode {
public:
    MFnLambertShader() {}
    MFnLambertShader(const MObject& object, MStatus* status = nullptr);
    MFn::Type type() const override;

    // Makes a lambert "lambert1" and binds the set to it; the flag is
    // ignored.
    MObject create(bool uiHidden = true, MStatus* status = nullptr);

    MColor color(MStatus* status = nullptr) const;
    MStatus setColor(const MColor& color);
    MColor transparency(MStatus* status = nullptr) const;
    MStatus setTransparency(const MColor& transparency);
    MColor ambientColor(MStatus* status = nullptr) const;
    MStatus setAmbientColor(const MColor& color);

protected:
    bool accepts(const MObject& object) const override;
    // Makes a shader node of the kind and binds the set to it.
    MObject createShader(const char* kindName, MStatus* status);
    MColor colorPlug(const char* name, MStatus* status) const;
    MStatus setColorPlug(const char* name, const MColor& color);
};

#endif
