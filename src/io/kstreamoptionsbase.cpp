#include "io/kstreamoptionsbase.h"

namespace qelsdk_600 {

namespace {

typedef KStreamOptionsBase B;

const B::OptionDefault k3dsDefaults[] = {
    {B::eCreateReferenceNode, "Create Reference Node", 0, B::eImportExportOption, B::eValue, B::eNoOption},
    {B::eMaterials, "Materials", 1, B::eImportExportOption, B::eValue, B::eNoOption},
    {B::eTextureMapping, "Texture Mapping", 1, B::eImportExportOption, B::eValue, B::eMaterials},
    {B::eAnim, "Anim", 1, B::eImportExportOption, B::eValue, B::eNoOption},
    {B::eGeometries, "Geometries", 1, B::eImportExportOption, B::eValue, B::eNoOption},
    {B::eLights, "Lights", 1, B::eImportExportOption, B::eValue, B::eNoOption},
    {B::eCamera, "Camera", 1, B::eImportExportOption, B::eValue, B::eNoOption},
    {B::eAmbientLight, "Ambient Light", 1, B::eImportExportOption, B::eValue, B::eNoOption},
    {B::eRescale, "Rescale", 1, B::eImportExportOption, B::eValue, B::eNoOption},
    {B::eReduceKeys, "Reduce Keys", 0, B::eImportOption, B::eValue, B::eNoOption},
    {B::eSmoothGroup, "Smooth Group", 1, B::eImportExportOption, B::eValue, B::eNoOption},
    {B::eUVPerPolygon, "UV per polygon", 1, B::eExportOption, B::eValue, B::eNoOption},
};

const B::OptionDefault kDxfDefaults[] = {
    {B::eCreateReferenceNode, "Create Reference Node", 1, B::eImportOption, B::eValue, B::eNoOption},
    {B::eForceTriangulation, "Force Triangulation", 1, B::eExportOption, B::eValue, B::eNoOption},
    {B::eEvaluateDeformations, "Evaluate Link/Shape deformations", 1, B::eExportOption, B::eValue,
     B::eNoOption},
    {B::eWeldVertices, "Weld Vertices", 1, B::eImportOption, B::eValue, B::eNoOption},
    {B::eObjectDerivationHeading, "Object Derivation", 0, B::eImportOption, B::eHeading, B::eNoOption},
    {B::eLayerBlockEntity, "Layer~Block~Entity", 0, B::eImportOption, B::eChoice, B::eNoOption},
};

const B::OptionDefault kObjDefaults[] = {
    {B::eCreateReferenceNode, "Create Reference Node", 1, B::eImportOption, B::eValue, B::eNoOption},
    {B::eForceTriangulation, "Force Triangulation", 0, B::eExportOption, B::eValue, B::eNoOption},
    {B::eEvaluateDeformations, "Evaluate Link/Shape deformations", 1, B::eExportOption, B::eValue,
     B::eNoOption},
};

template <class T, int N>
constexpr int CountOf(const T (&)[N])
{
    return N;
}

// Option 6's choices (layer, block, entity) against the derivations they
// select; the map is its own inverse.
const KStreamOptionsDxf::EObjectDerivation kChoiceToDerivation[] = {
    KStreamOptionsDxf::eMeshPerLayer, KStreamOptionsDxf::eMeshPerBlock,
    KStreamOptionsDxf::eNodePerEntity};

}  // namespace

// ---- KStreamOptionsBase ----

KClassDefinition KStreamOptionsBase::ClassDefinition = {
    &KStreamOptionsBase::ClassId, &KStreamOptions::ClassDefinition, "KStreamOptionsBase", nullptr};
int KStreamOptionsBase::ClassId = KPlug_RegisterClassId(&KStreamOptionsBase::ClassDefinition, -1);

KStreamOptionsBase::KStreamOptionsBase()
    : mExportContentType(eDefaultExportContent),
      mOverwriteExistingFiles(false),
      mAddPrefix(false),
      mTakeStartEnd(eDefaultTakeStartEnd)
{
    for (int i = 0; i < eOptionSlotCount; ++i) {
        Slot& slot = mSlots[i];
        slot.mValue = 0;
        slot.mValid = false;
        slot.mMode = eImportExportOption;
        slot.mType = i == 0 ? eHeading : eValue;
        slot.mGroup = eNoOption;
    }
}

KStreamOptionsBase::~KStreamOptionsBase() {}

KStreamOptionsBase& KStreamOptionsBase::operator=(const KStreamOptionsBase& pOther)
{
    if (this == &pOther)
        return *this;
    KStreamOptions::operator=(pOther);
    for (int i = 0; i < eOptionSlotCount; ++i)
        mSlots[i] = pOther.mSlots[i];
    return *this;
}

KClassDefinition* KStreamOptionsBase::GetClassDefinition() const
{
    return &ClassDefinition;
}

void KStreamOptionsBase::Reset()
{
    KStreamOptions::Reset();
}

bool KStreamOptionsBase::HandleTakes() const
{
    return false;
}

KStreamOptionsBase::Slot* KStreamOptionsBase::Find(EOption pOption)
{
    return pOption >= eCreateReferenceNode && pOption < eOptionSlotCount ? &mSlots[pOption] : nullptr;
}

const KStreamOptionsBase::Slot* KStreamOptionsBase::Find(EOption pOption) const
{
    return const_cast<KStreamOptionsBase*>(this)->Find(pOption);
}

void KStreamOptionsBase::SetOption(EOption pOption, int pValue)
{
    if (Slot* slot = Find(pOption))
        slot->mValue = pValue;
}

int KStreamOptionsBase::GetOption(EOption pOption) const
{
    const Slot* slot = Find(pOption);
    return slot ? slot->mValue : 0;
}

void KStreamOptionsBase::SetValid(EOption pOption, bool pValid)
{
    if (Slot* slot = Find(pOption))
        slot->mValid = pValid;
}

bool KStreamOptionsBase::IsValid(EOption pOption) const
{
    const Slot* slot = Find(pOption);
    return slot && slot->mValid;
}

void KStreamOptionsBase::SetMode(EOption pOption, EOptionMode pMode)
{
    if (Slot* slot = Find(pOption))
        slot->mMode = pMode;
}

KStreamOptionsBase::EOptionMode KStreamOptionsBase::GetMode(EOption pOption) const
{
    const Slot* slot = Find(pOption);
    return slot ? slot->mMode : eImportOption;
}

void KStreamOptionsBase::SetType(EOption pOption, EOptionType pType)
{
    if (Slot* slot = Find(pOption))
        slot->mType = pType;
}

KStreamOptionsBase::EOptionType KStreamOptionsBase::GetType(EOption pOption) const
{
    const Slot* slot = Find(pOption);
    return slot ? slot->mType : eHeading;
}

void KStreamOptionsBase::SetName(EOption pOption, const KString& pName)
{
    if (Slot* slot = Find(pOption))
        slot->mName = pName;
}

KString KStreamOptionsBase::GetName(EOption pOption) const
{
    const Slot* slot = Find(pOption);
    return slot ? slot->mName : KString();
}

void KStreamOptionsBase::SetGroupId(EOption pOption, EOption pGroup)
{
    if (Slot* slot = Find(pOption))
        slot->mGroup = pGroup;
}

KStreamOptionsBase::EOption KStreamOptionsBase::GetGroupId(EOption pOption) const
{
    const Slot* slot = Find(pOption);
    return slot ? slot->mGroup : eNoOption;
}

void KStreamOptionsBase::SetTakeName(const char* pName)
{
    if (HandleTakes())
        mTakeName = pName ? pName : "";
}

const char* KStreamOptionsBase::GetTakeName() const
{
    return HandleTakes() ? mTakeName.Buffer() : nullptr;
}

void KStreamOptionsBase::ApplyDefaults(const OptionDefault* pRows, int pCount)
{
    for (int i = 0; i < pCount; ++i) {
        const OptionDefault& row = pRows[i];
        Slot& slot = mSlots[row.mOption];
        slot.mValue = row.mValue;
        slot.mValid = true;
        slot.mMode = row.mMode;
        slot.mType = row.mType;
        slot.mName = row.mName;
        slot.mGroup = row.mGroup;
    }
}

// ---- KStreamOptions3ds ----

KClassDefinition KStreamOptions3ds::ClassDefinition = {
    &KStreamOptions3ds::ClassId, &KStreamOptionsBase::ClassDefinition, "KStreamOptions3ds", nullptr};
int KStreamOptions3ds::ClassId = KPlug_RegisterClassId(&KStreamOptions3ds::ClassDefinition, -1);

KStreamOptions3ds::KStreamOptions3ds()
{
    Reset();
}

KStreamOptions3ds::~KStreamOptions3ds() {}

KStreamOptions3ds& KStreamOptions3ds::operator=(const KStreamOptions3ds& pOther)
{
    KStreamOptionsBase::operator=(pOther);
    for (int i = 0; i < kContentCountTotal; ++i)
        mContentCounts[i] = pOther.mContentCounts[i];
    return *this;
}

KClassDefinition* KStreamOptions3ds::GetClassDefinition() const
{
    return &ClassDefinition;
}

void KStreamOptions3ds::Reset()
{
    KStreamOptionsBase::Reset();
    ApplyDefaults(k3dsDefaults, CountOf(k3dsDefaults));
    for (int i = 0; i < kContentCountTotal; ++i)
        mContentCounts[i] = 0;
}

bool KStreamOptions3ds::HandleTakes() const
{
    return true;
}

void KStreamOptions3ds::SetContentCount(int pIndex, int pValue)
{
    if (pIndex >= 0 && pIndex < kContentCountTotal)
        mContentCounts[pIndex] = pValue;
}

int KStreamOptions3ds::GetContentCount(int pIndex) const
{
    return pIndex >= 0 && pIndex < kContentCountTotal ? mContentCounts[pIndex] : 0;
}

// ---- KStreamOptionsDxf ----

KClassDefinition KStreamOptionsDxf::ClassDefinition = {
    &KStreamOptionsDxf::ClassId, &KStreamOptionsBase::ClassDefinition, "KStreamOptionsDxf", nullptr};
int KStreamOptionsDxf::ClassId = KPlug_RegisterClassId(&KStreamOptionsDxf::ClassDefinition, -1);

KStreamOptionsDxf::KStreamOptionsDxf() : mObjectDerivation(eMeshPerLayer)
{
    Reset();
}

KStreamOptionsDxf::~KStreamOptionsDxf() {}

KStreamOptionsDxf& KStreamOptionsDxf::operator=(const KStreamOptionsDxf& pOther)
{
    KStreamOptionsBase::operator=(pOther);
    mObjectDerivation = pOther.mObjectDerivation;
    return *this;
}

KClassDefinition* KStreamOptionsDxf::GetClassDefinition() const
{
    return &ClassDefinition;
}

void KStreamOptionsDxf::Reset()
{
    KStreamOptionsBase::Reset();
    ApplyDefaults(kDxfDefaults, CountOf(kDxfDefaults));
    mObjectDerivation = eMeshPerLayer;
}

void KStreamOptionsDxf::SetObjectDerivation(EObjectDerivation pDerivation)
{
    if (pDerivation < 0 || pDerivation >= CountOf(kChoiceToDerivation))
        return;
    mObjectDerivation = pDerivation;
    SetOption(eLayerBlockEntity, kChoiceToDerivation[pDerivation]);
}

KStreamOptionsDxf::EObjectDerivation KStreamOptionsDxf::GetObjectDerivation()
{
    int choice = GetOption(eLayerBlockEntity);
    if (choice >= 0 && choice < CountOf(kChoiceToDerivation))
        mObjectDerivation = kChoiceToDerivation[choice];
    return mObjectDerivation;
}

// ---- KStreamOptionsObj ----

KClassDefinition KStreamOptionsObj::ClassDefinition = {
    &KStreamOptionsObj::ClassId, &KStreamOptionsBase::ClassDefinition, "KStreamOptionsObj", nullptr};
int KStreamOptionsObj::ClassId = KPlug_RegisterClassId(&KStreamOptionsObj::ClassDefinition, -1);

KStreamOptionsObj::KStreamOptionsObj()
{
    Reset();
}

KStreamOptionsObj::~KStreamOptionsObj() {}

KStreamOptionsObj& KStreamOptionsObj::operator=(const KStreamOptionsObj& pOther)
{
    KStreamOptionsBase::operator=(pOther);
    return *this;
}

KClassDefinition* KStreamOptionsObj::GetClassDefinition() const
{
    return &ClassDefinition;
}

void KStreamOptionsObj::Reset()
{
    KStreamOptionsBase::Reset();
    ApplyDefaults(kObjDefaults, CountOf(kObjDefaults));
}

// ---- Factories ----

KStreamOptions3ds* KStreamOptions3dsCreate()
{
    return new KStreamOptions3ds;
}

KStreamOptionsDxf* KStreamOptionsDxfCreate()
{
    return new KStreamOptionsDxf;
}

KStreamOptionsObj* KStreamOptionsObjCreate()
{
    return new KStreamOptionsObj;
}

}  // namespace qelsdk_600
