// MFnLambertShader, MFnReflectShader and MFnPhongShader.
#include <cmath>
#include <string>

#include <vesk/MFnPhongShader.h>

#include "core/object_access.h"
#include "core/plug_access.h"
#include "store/node_store.h"

using vesk::NodeId;
using vesk::ObjectAccess;
using vesk::report;
using vesk::store;

MFnLambertShader::MFnLambertShader(const MObject& object, MStatus* status)
{
    report(status, setObject(object));
}

MFn::Type MFnLambertShader::type() const
{
    return MFn::kLambert;
}

bool MFnLambertShader::accepts(const MObject& object) const
{
    return object.hasFn(type());
}

MObject MFnLambertShader::createShader(const char* kindName, MStatus* status)
{
    MStatus s;
    const NodeId n = store().createNode(kindName, "", NodeId(), &s);
    report(status, s);
    if (!s)
        return MObject();
    mObject = ObjectAccess::fromNode(n);
    return mObject;
}

MObject MFnLambertShader::create(bool, MStatus* status)
{
    return createShader("lambert", status);
}

MColor MFnLambertShader::colorPlug(const char* name, MStatus* status) const
{
    const NodeId n = ObjectAccess::node(mObject);
    const std::string base(name);
    double rgb[3];
    const char* suffix[3] = {"R", "G", "B"};
    for (int i = 0; i < 3; ++i)
        if (!accepts(mObject) || !vesk::readNumber(n, (base + suffix[i]).c_str(), rgb[i])) {
            report(status, MStatus::kInvalidParameter);
            return MColor();
        }
    report(status, MStatus::kSuccess);
    return MColor(static_cast<float>(rgb[0]), static_cast<float>(rgb[1]), static_cast<float>(rgb[2]));
}

MStatus MFnLambertShader::setColorPlug(const char* name, const MColor& color)
{
    if (!accepts(mObject))
        return MStatus::kInvalidParameter;
    const std::string base(name);
    const std::string r = base + "R", g = base + "G", b = base + "B";
    const vesk::NamedNumber values[3] = {{r.c_str(), color.r}, {g.c_str(), color.g}, {b.c_str(), color.b}};
    return vesk::writeNumbers(ObjectAccess::node(mObject), values, 3);
}

MColor MFnLambertShader::color(MStatus* status) const
{
    return colorPlug("color", status);
}

MStatus MFnLambertShader::setColor(const MColor& color)
{
    return setColorPlug("color", color);
}

MColor MFnLambertShader::transparency(MStatus* status) const
{
    return colorPlug("transparency", status);
}

MStatus MFnLambertShader::setTransparency(const MColor& transparency)
{
    return setColorPlug("transparency", transparency);
}

MColor MFnLambertShader::ambientColor(MStatus* status) const
{
    return colorPlug("ambientColor", status);
}

MStatus MFnLambertShader::setAmbientColor(const MColor& color)
{
    return setColorPlug("ambientColor", color);
}

MFnReflectShader::MFnReflectShader(const MObject& object, MStatus* status)
{
    report(status, setObject(object));
}

MFn::Type MFnReflectShader::type() const
{
    return MFn::kReflect;
}

bool MFnReflectShader::accepts(const MObject& object) const
{
    return object.hasFn(type());
}

MObject MFnReflectShader::create(bool, MStatus* status)
{
    return createShader("reflect", status);
}

MColor MFnReflectShader::specularColor(MStatus* status) const
{
    return colorPlug("specularColor", status);
}

MStatus MFnReflectShader::setSpecularColor(const MColor& color)
{
    return setColorPlug("specularColor", color);
}

MFnPhongShader::MFnPhongShader(const MObject& object, MStatus* status)
{
    report(status, setObject(object));
}

MFn::Type MFnPhongShader::type() const
{
    return MFn::kPhong;
}

bool MFnPhongShader::accepts(const MObject& object) const
{
    return object.hasFn(type());
}

MObject MFnPhongShader::create(bool, MStatus* status)
{
    return createShader("phong", status);
}

float MFnPhongShader::cosPower(MStatus* status) const
{
    double v = 0.0;
    const bool ok = accepts(mObject) && vesk::readNumber(ObjectAccess::node(mObject), "cosinePower", v);
    report(status, ok ? MStatus::kSuccess : MStatus::kInvalidParameter);
    return static_cast<float>(v);
}

MStatus MFnPhongShader::setCosPower(float power)
{
    if (!accepts(mObject) || !std::isfinite(power))
        return MStatus::kInvalidParameter;
    return vesk::writeNumber(ObjectAccess::node(mObject), "cosinePower", power);
}
