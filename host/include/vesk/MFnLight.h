// Function set of lights: colour and intensity.
#ifndef VESK_MFNLIGHT_H
#define VESK_MFNLIGHT_H

#include <vesk/MColor.h>
#include <vesk/MFnDagNode.h>
#include <vesk/VeskExport.h>

// Works on every light shape. A new light is white with intensity 1; a spot
// light's cone angle is 40 degrees.
class VESK_API MFnLight : public MFnDagNode {
public:
    MFnLight() {}
    MFnLight(const MObject& object, MStatus* status = nullptr);
    // Binds to the path's light (a transform's first light shape).
    MFnLight(const MDagPath& path, MStatus* status = nullptr);
    MFn::Type type() const override;

    // The "color" plug; its alpha reads 1 and is not kept.
    MColor color(MStatus* status = nullptr) const;
    MStatus setColor(const MColor& color);
    float intensity(MStatus* status = nullptr) const;
    MStatus setIntensity(float intensity);

protected:
    bool accepts(const MObject& object) const override;
    // Makes a transform "<kind>1" under parent (the world for the null
    // object) and a light "<kind>Shape1" below it, binds the set to the
    // light and returns it.
    MObject createLight(const char* kindName, const MObject& parent, MStatus* status);
};

#endif
