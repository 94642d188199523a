// Lights: a named object holding an N_DIRECT_LIGHT, a spotlight when that
// has a DL_SPOTLIGHT child, an omni light otherwise; as plain records the
// caller owns. A flag is written only when it holds exactly 1.
#ifndef QELSDK_FORMATS_TOOLKIT3DS_LIGHT3DS_H
#define QELSDK_FORMATS_TOOLKIT3DS_LIGHT3DS_H

#include <cstdint>

#include "formats/toolkit3ds/chunk3ds.h"
#include "formats/toolkit3ds/database3ds.h"
#include "formats/toolkit3ds/types3ds.h"

namespace qelsdk_600 {

// The spotlight part of a light (DL_SPOTLIGHT and its children); it owns
// its projector map name.
struct spotlight3ds {
    point3ds target;            // 1, 1, 1
    float hotspot, falloff;     // 44, 45 (degrees)
    float roll;                 // DL_SPOT_ROLL, 0
    float aspect;               // DL_SPOT_ASPECT, 1
    byte3ds shadows;            // DL_SHADOWED (also DL_LOCAL_SHADOW)
    std::uint32_t raytraced;    // DL_RAYSHAD
    byte3ds uselocal;           // DL_LOCAL_SHADOW2 holds the next three
    float bias, filter;         // 1, 3
    std::uint16_t mapsize;      // 512
    float raybias;              // DL_RAY_BIAS, 1
    std::uint32_t rectangular;  // DL_SPOT_RECTANGULAR
    byte3ds showcone;           // DL_SEE_CONE
    byte3ds overshoot;          // DL_SPOT_OVERSHOOT
    byte3ds useprojector;       // DL_SPOT_PROJECTOR
    char* projector;
};

// A light; it owns its exclusion list and its spotlight part (none for an
// omni light).
struct light3ds {
    char name[11];
    point3ds pos;
    fcolor3ds color;         // 0.70885 each
    float multiplier;        // DL_MULTIPLIER, 1
    byte3ds off;             // DL_OFF
    byte3ds attenuate;       // DL_ATTENUATE
    float innerrange;        // DL_INNER_RANGE, 10
    float outerrange;        // DL_OUTER_RANGE, 100
    namelist3ds* exclude;    // one DL_EXCLUDE per name
    spotlight3ds* spot;
};

// A record (allocated when *light is none) at its defaults with a new empty
// exclusion list; an existing spotlight part is left in place.
void InitLight3ds(light3ds** light);
// The same with a new spotlight part at its defaults.
void InitSpotlight3ds(light3ds** light);
void ReleaseLight3ds(light3ds** light);
// Omni lights never count spotlights and spotlights never omni lights.
std::uint32_t GetOmnilightCount3ds(database3ds* database);
std::uint32_t GetSpotlightCount3ds(database3ds* database);
void GetOmnilightNameList3ds(database3ds* database, namelist3ds** names);
void GetSpotlightNameList3ds(database3ds* database, namelist3ds** names);
// Fill a record from the index-th light of the kind, or the named one when
// it is of the kind; otherwise the record is untouched. Mesh files and
// projects.
void GetOmnilightByIndex3ds(database3ds* database, std::uint32_t index, light3ds** light);
void GetSpotlightByIndex3ds(database3ds* database, std::uint32_t index, light3ds** light);
void GetOmnilightByName3ds(database3ds* database, const char* name, light3ds** light);
void GetSpotlightByName3ds(database3ds* database, const char* name, light3ds** light);
void DeleteOmnilightByName3ds(database3ds* database, const char* name);
void DeleteSpotlightByName3ds(database3ds* database, const char* name);
// By index these count every light (N_DIRECT_LIGHT), or spotlights.
void DeleteOmnilightByIndex3ds(database3ds* database, std::uint32_t index);
void DeleteSpotlightByIndex3ds(database3ds* database, std::uint32_t index);
void CopyOmnilightByIndex3ds(database3ds* destination, database3ds* source, std::uint32_t index);
void CopySpotlightByIndex3ds(database3ds* destination, database3ds* source, std::uint32_t index);
void CopyOmnilightByName3ds(database3ds* destination, database3ds* source, const char* name);
void CopySpotlightByName3ds(database3ds* destination, database3ds* source, const char* name);
// Fills a record from a named object (ERR_WRONG_OBJECT without a light); an
// omni light leaves the record without a spotlight part.
void GetLightEntryChunk3ds(chunk3ds* object, light3ds** light);
// Put a record, a spotlight exactly when it has a spotlight part, in place
// of any object of its name (keeping that one's XDATA_SECTION).
void PutOmnilight3ds(database3ds* database, light3ds* light);
void PutSpotlight3ds(database3ds* database, light3ds* light);
void PutLight3ds(database3ds* database, light3ds* light);
// Adds a float chunk of the tag, in order, under a parent.
void putTagFloat(chunk3ds* parent, std::uint32_t tag, const float* value);

}  // namespace qelsdk_600

#endif
