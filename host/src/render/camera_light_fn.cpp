// MFnCamera and the light function sets.
#include <cmath>
#include <string>

#include <vesk/MFnCamera.h>
#include <vesk/MFnDirectionalLight.h>
#include <vesk/MFnPointLight.h>
#include <vesk/MFnSpotLight.h>

#include "core/object_access.h"
#include "core/plug_access.h"
#include "store/node_store.h"

using vesk::NodeId;
using vesk::ObjectAccess;
using vesk::report;
using vesk::store;

namespace {

// A plug's number, with the call's status.
double number(const MObject& o, const char* name, MStatus* status)
{
    double v = 0.0;
    const bool ok = vesk::readNumber(ObjectAccess::node(o), name, v);
    report(status, ok ? MStatus::kSuccess : MStatus::kInvalidParameter);
    return v;
}

MStatus setNumber(const MObject& o, const char* name, double v)
{
    if (!std::isfinite(v))
        return MStatus::kInvalidParameter;
    return vesk::writeNumber(ObjectAccess::node(o), name, v);
}

} // namespace

// ---- MFnCamera ----------------------------------------------------------------------

MFnCamera::MFnCamera(const MObject& object, MStatus* status)
{
    report(status, setObject(object));
}

MFnCamera::MFnCamera(const MDagPath& path, MStatus* status)
{
    report(status, bindPath(path, MFn::kCamera));
}

MFn::Type MFnCamera::type() const
{
    return MFn::kCamera;
}

bool MFnCamera::accepts(const MObject& object) const
{
    return object.hasFn(MFn::kCamera);
}

double MFnCamera::nearClippingPlane(MStatus* status) const
{
    return number(mObject, "nearClipPlane", status);
}

MStatus MFnCamera::setNearClippingPlane(double distance)
{
    return setNumber(mObject, "nearClipPlane", distance);
}

double MFnCamera::farClippingPlane(MStatus* status) const
{
    return number(mObject, "farClipPlane", status);
}

MStatus MFnCamera::setFarClippingPlane(double distance)
{
    return setNumber(mObject, "farClipPlane", distance);
}

bool MFnCamera::isClippingPlanes(MStatus* status) const
{
    return number(mObject, "clippingPlanes", status) != 0.0;
}

MStatus MFnCamera::setClippingPlanes(bool on)
{
    return setNumber(mObject, "clippingPlanes", on ? 1.0 : 0.0);
}

double MFnCamera::focalLength(MStatus* status) const
{
    return number(mObject, "focalLength", status);
}

MStatus MFnCamera::setFocalLength(double millimetres)
{
    return setNumber(mObject, "focalLength", millimetres);
}

double MFnCamera::lensSqueezeRatio(MStatus* status) const
{
    return number(mObject, "lensSqueezeRatio", status);
}

MStatus MFnCamera::setLensSqueezeRatio(double ratio)
{
    return setNumber(mObject, "lensSqueezeRatio", ratio);
}

MFnCamera::FilmFit MFnCamera::filmFit(MStatus* status) const
{
    const int fit = static_cast<int>(number(mObject, "filmFit", status));
    return fit >= kFillFilmFit && fit <= kOverscanFilmFit ? static_cast<FilmFit>(fit) : kInvalid;
}

MStatus MFnCamera::setFilmFit(FilmFit fit)
{
    if (fit < kFillFilmFit || fit > kOverscanFilmFit)
        return MStatus::kInvalidParameter;
    return setNumber(mObject, "filmFit", fit);
}

double MFnCamera::horizontalFilmAperture(MStatus* status) const
{
    return number(mObject, "horizontalFilmAperture", status);
}

MStatus MFnCamera::setHorizontalFilmAperture(double inches)
{
    return setNumber(mObject, "horizontalFilmAperture", inches);
}

double MFnCamera::verticalFilmAperture(MStatus* status) const
{
    return number(mObject, "verticalFilmAperture", status);
}

MStatus MFnCamera::setVerticalFilmAperture(double inches)
{
    return setNumber(mObject, "verticalFilmAperture", inches);
}

bool MFnCamera::isOrtho(MStatus* status) const
{
    return number(mObject, "orthographic", status) != 0.0;
}

MStatus MFnCamera::setIsOrtho(bool orthographic)
{
    return setNumber(mObject, "orthographic", orthographic ? 1.0 : 0.0);
}

double MFnCamera::focusDistance(MStatus* status) const
{
    return number(mObject, "focusDistance", status);
}

MStatus MFnCamera::setFocusDistance(double distance)
{
    return setNumber(mObject, "focusDistance", distance);
}

double MFnCamera::centerOfInterest(MStatus* status) const
{
    return number(mObject, "centerOfInterest", status);
}

MStatus MFnCamera::setCenterOfInterest(double distance)
{
    return setNumber(mObject, "centerOfInterest", distance);
}

MVector MFnCamera::upDirection(MSpace::Space space, MStatus* status) const
{
    const MVector up(0.0, 1.0, 0.0);
    if (!mObject.hasFn(MFn::kCamera) || (space != MSpace::kObject && space != MSpace::kTransform &&
                                          space != MSpace::kWorld)) {
        report(status, MStatus::kInvalidParameter);
        return MVector();
    }
    report(status, MStatus::kSuccess);
    if (space != MSpace::kWorld)
        return up;
    MDagPath path;
    getPath(path);
    return (up * path.inclusiveMatrix()).normal();
}

// ---- Lights -----------------------------------------------------------------------------

MFnLight::MFnLight(const MObject& object, MStatus* status)
{
    report(status, setObject(object));
}

MFnLight::MFnLight(const MDagPath& path, MStatus* status)
{
    report(status, bindPath(path, MFn::kLight));
}

MFn::Type MFnLight::type() const
{
    return MFn::kLight;
}

bool MFnLight::accepts(const MObject& object) const
{
    return object.hasFn(MFn::kLight);
}

MObject MFnLight::createLight(const char* kindName, const MObject& parent, MStatus* status)
{
    const NodeId p = ObjectAccess::node(parent);
    if (!parent.isNull() && (!p.valid() || !store().kindOf(p)->isDag())) {
        report(status, MStatus::kInvalidParameter);
        return MObject();
    }
    MStatus s;
    const std::string kind(kindName);
    const NodeId transform = store().createNode("transform", kind + "1", p, &s);
    const NodeId light = s ? store().createNode(kind, kind + "Shape1", transform, &s) : NodeId();
    report(status, s);
    if (!s) {
        if (transform.valid())
            store().deleteNode(transform);
        return MObject();
    }
    mObject = ObjectAccess::fromNode(light);
    mPath = MDagPath();
    return mObject;
}

MColor MFnLight::color(MStatus* status) const
{
    const NodeId n = ObjectAccess::node(mObject);
    const bool ok = mObject.hasFn(MFn::kLight);
    report(status, ok ? MStatus::kSuccess : MStatus::kInvalidParameter);
    if (!ok)
        return MColor();
    return MColor(static_cast<float>(vesk::numberOr(n, "colorR", 1.0)), static_cast<float>(vesk::numberOr(n, "colorG", 1.0)),
                  static_cast<float>(vesk::numberOr(n, "colorB", 1.0)));
}

MStatus MFnLight::setColor(const MColor& color)
{
    if (!mObject.hasFn(MFn::kLight))
        return MStatus::kInvalidParameter;
    const vesk::NamedNumber values[3] = {{"colorR", color.r}, {"colorG", color.g}, {"colorB", color.b}};
    return vesk::writeNumbers(ObjectAccess::node(mObject), values, 3);
}

float MFnLight::intensity(MStatus* status) const
{
    return static_cast<float>(number(mObject, "intensity", status));
}

MStatus MFnLight::setIntensity(float intensity)
{
    return setNumber(mObject, "intensity", intensity);
}

MFnPointLight::MFnPointLight(const MObject& object, MStatus* status)
{
    report(status, setObject(object));
}

MFnPointLight::MFnPointLight(const MDagPath& path, MStatus* status)
{
    // The light kinds point lights stand for share no ancestor below kLight;
    // binding checks this set's own kinds.
    report(status, bindPath(path, MFn::kLight));
}

MFn::Type MFnPointLight::type() const
{
    return MFn::kPointLight;
}

bool MFnPointLight::accepts(const MObject& object) const
{
    return object.hasFn(MFn::kPointLight) || object.hasFn(MFn::kAreaLight) || object.hasFn(MFn::kVolumeLight);
}

MObject MFnPointLight::create(const MObject& parent, bool, MStatus* status)
{
    return createLight("pointLight", parent, status);
}

MFnDirectionalLight::MFnDirectionalLight(const MObject& object, MStatus* status)
{
    report(status, setObject(object));
}

MFnDirectionalLight::MFnDirectionalLight(const MDagPath& path, MStatus* status)
{
    report(status, bindPath(path, MFn::kDirectionalLight));
}

MFn::Type MFnDirectionalLight::type() const
{
    return MFn::kDirectionalLight;
}

bool MFnDirectionalLight::accepts(const MObject& object) const
{
    return object.hasFn(MFn::kDirectionalLight);
}

MObject MFnDirectionalLight::create(const MObject& parent, bool, MStatus* status)
{
    return createLight("directionalLight", parent, status);
}

MFnSpotLight::MFnSpotLight(const MObject& object, MStatus* status)
{
    report(status, setObject(object));
}

MFnSpotLight::MFnSpotLight(const MDagPath& path, MStatus* status)
{
    report(status, bindPath(path, MFn::kSpotLight));
}

MFn::Type MFnSpotLight::type() const
{
    return MFn::kSpotLight;
}

bool MFnSpotLight::accepts(const MObject& object) const
{
    return object.hasFn(MFn::kSpotLight);
}

MObject MFnSpotLight::create(const MObject& parent, bool, MStatus* status)
{
    return createLight("spotLight", parent, status);
}

double MFnSpotLight::coneAngle(MStatus* status) const
{
    return number(mObject, "coneAngle", status);
}

MStatus MFnSpotLight::setConeAngle(double angle)
{
    return setNumber(mObject, "coneAngle", angle);
}
