// Lights, cameras and the axis conversions of transforms.
#include <cstdio>

#include "content/kqelcamera.h"
#include "content/kqelcolor.h"
#include "content/kqellight.h"
#include "formats/3ds/kqelwriter3ds.h"
#include "formats/toolkit3ds/toolkit3ds.h"
#include "math/kmfunctions.h"

namespace qelsdk_600 {

namespace {

template <std::size_t N>
void CopyName(char (&pField)[N], const char* pName)
{
    std::snprintf(pField, N, "%.*s", static_cast<int>(N - 1), pName ? pName : "");
}

point3ds ToPoint(const double* pValues)
{
    return point3ds{static_cast<float>(pValues[0]), static_cast<float>(pValues[1]), static_cast<float>(pValues[2])};
}

// The light record's fields shared by omni and spot lights.
void FillLight(light3ds& pRecord, KQelLight& pLight, const KQelVector4& pT, const char* pName)
{
    CopyName(pRecord.name, pName);
    double position[3];
    KQelWriter3DS::ConvTTVto3DS(position, pT);
    pRecord.pos = ToPoint(position);
    KQelColor color;
    pLight.GetDefaultColor(color);
    pRecord.color = {static_cast<float>(color.mRed), static_cast<float>(color.mGreen), static_cast<float>(color.mBlue)};
    pRecord.multiplier = static_cast<float>(pLight.GetDefaultIntensity() / 100.0);
}

}  // namespace

void KQelWriter3DS::ConvTTVto3DS(double* pOut, const KQelVector4& pT)
{
    pOut[0] = pT[0];
    pOut[1] = -pT[2];
    pOut[2] = pT[1];
}

void KQelWriter3DS::ConvSTVto3DS(double* pOut, const KQelVector4& pS)
{
    pOut[0] = pS[0];
    pOut[1] = pS[2];
    pOut[2] = pS[1];
}

void KQelWriter3DS::ConvRTVto3DS(double* pOut, const KQelVector4& pR)
{
    double m[4][4] = {{1, 0, 0, 0}, {0, 1, 0, 0}, {0, 0, 1, 0}, {0, 0, 0, 1}};
    KmXYZtoR(m, pR[0], pR[1], pR[2]);
    double q[4];
    KmRtoQ(q, m);
    // The turn's axis changes like a position; its angle stays.
    const double converted[4] = {q[0], -q[2], q[1], q[3]};
    KmQtoR(m, converted);
    KmRtoVXYZ(pOut, m);
}

light3ds* KQelWriter3DS::ConvOmnilightTVto3DS(KQelLight* pLight, KQelVector4 pT, const char* pName)
{
    light3ds* record = nullptr;
    InitLight3ds(&record);
    if (record && pLight)
        FillLight(*record, *pLight, pT, pName);
    return record;
}

light3ds* KQelWriter3DS::ConvSpotlightTVto3DS(KQelLight* pLight, KQelVector4 pT, KQelVector4 /*pR*/,
                                              const char* pName)
{
    light3ds* record = nullptr;
    InitSpotlight3ds(&record);
    if (record && pLight) {
        FillLight(*record, *pLight, pT, pName);
        if (record->spot)
            record->spot->hotspot = static_cast<float>(pLight->GetDefaultConeAngle());
    }
    return record;
}

camera3ds* KQelWriter3DS::ConvCameraTVto3DS(KQelCamera* pCamera, KQelVector4 pT, const char* pName)
{
    camera3ds* record = nullptr;
    InitCamera3ds(&record);
    if (!record || !pCamera)
        return record;
    CopyName(record->name, pName);
    double position[3];
    ConvTTVto3DS(position, pT);
    record->position = ToPoint(position);
    // One background per file: the camera written last gives it.
    background3ds* background = nullptr;
    InitBackground3ds(&background);
    if (background) {
        const KQelColor color = pCamera->GetDefaultBackgroundColor();
        background->solid = {static_cast<float>(color.mRed), static_cast<float>(color.mGreen),
                             static_cast<float>(color.mBlue)};
        PutBackground3ds(mDatabase, background);
        ReleaseBackground3ds(&background);
    }
    return record;
}

}  // namespace qelsdk_600
