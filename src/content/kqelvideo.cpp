#include "content/kqelvideo.h"

#include <cstdlib>
#include <cstring>

#include "content/kqelconnection_impl.h"
#include "content/kqellight.h"
#include "content/kqeltexture.h"
#include "scene/kqelentity.h"
#include "scene/kqelnode.h"
#include "scene/kqelsdkmanager.h"

namespace qelsdk_600 {

namespace {

const char* const kVideoErrors[] = {"Error"};

}  // namespace

KError KQelVideo::smError(kVideoErrors, 1);

// ---- KQelVideoProperties ----

QEL_CLASS_IDENTITY_DEFINE(KQelVideoProperties, KQelPropertyHandler)

KQelVideoProperties::KQelVideoProperties(KQelVideo* pOwner)
    : KQelOwnedPropertyHandler(pOwner), mMipMap(false), mKeepFormat(true), mPath(nullptr)
{
    QEL_PROPERTY_SET_REGISTER(QEL_VIDEO_PROPERTIES_BEFORE_PATH);
    static const KPropertyRow kPathRow =
        detail::KQelValueRow("Path", &KQelVideoProperties::Path, &KQelVideoProperties::PathGet,
                             &KQelVideoProperties::PathSet);
    detail::KQelRegisterValue(this, Path, kPathRow, static_cast<char*>(nullptr), 0);
    QEL_PROPERTY_SET_REGISTER(QEL_VIDEO_PROPERTIES_AFTER_PATH);
}

KQelVideoProperties::~KQelVideoProperties() {}

void KQelVideoProperties::Destroy(int pLocal)
{
    std::free(mPath);
    mPath = nullptr;
    KQelOwnedPropertyHandler::Destroy(pLocal);
}

void KQelVideoProperties::PathSet(char* pPath)
{
    const char* text = pPath ? pPath : "";
    const std::size_t length = std::strlen(text);
    if (!mPath || length > std::strlen(mPath)) {
        // realloc keeps the old block when it fails, so the old path stays.
        char* grown = static_cast<char*>(std::realloc(mPath, length + 1));
        if (!grown)
            return;
        mPath = grown;
    }
    std::memmove(mPath, text, length + 1);
}

const char* KQelVideoProperties::InterlaceModeAsString(KQelVideoTypes::EInterlaceMode pValue)
{
    static const char* const kTexts[] = {"Disk", "Memory", "Disk Async"};
    return KQelEnumText(kTexts, pValue);
}

const char* KQelVideoProperties::AccessModeAsString(KQelVideoTypes::EAccessMode pValue)
{
    static const char* const kTexts[] = {"None",           "Fields",          "Half Frame Even",
                                         "Half Frame Odd", "Full Frame Even", "Full Frame Odd",
                                         "Full Frame Even/Odd", "Full Frame Odd/Even"};
    return KQelEnumText(kTexts, pValue);
}

bool KQelVideoProperties::PlugNotify(KPlugCallstack* pStack, kPlugAction pAction, KPlug* pPlug, int pIndex,
                                     KPlug* pOther, kConnectionType pType, KPlug* pNewPlug)
{
    KQelVideo* video = static_cast<KQelVideo*>(GetKQelVideo());
    if (pPlug == this && pAction == kPlugConnectedDst && video) {
        KQelTakeNodeContainer* object = KQelObjectOfPlug(pOther);
        if (KQelTexture* texture = dynamic_cast<KQelTexture*>(object)) {
            texture->SetFileName(video->GetFileName());
            texture->SetRelativeFileName(video->GetRelativeFileName());
            texture->SetMediaName(video->GetName());
        } else if (KQelNode* node = dynamic_cast<KQelNode*>(object)) {
            if (KQelLight* light = node->GetLight())
                light->SetFileName(video->GetFileName());
        }
        // The scene downstream of that object learns of the video.
        for (int i = 0, count = pOther ? pOther->GetDstCount() : 0; i < count; ++i) {
            KQelNode* user = KQelNodeOfPlug(pOther->GetDst(i));
            if (!user)
                continue;
            KQelEntity* store = user->GetEntity();
            if (store && !store->GetVideo(KString(video->GetName())))
                store->AddVideo(video);
            break;
        }
    }
    return KObject::PlugNotify(pStack, pAction, pPlug, pIndex, pOther, pType, pNewPlug);
}

// ---- KQelVideo ----

KQelVideo::KQelVideo(KQelSdkManager& pManager, const char* pName)
    : KQelTakeNodeContainer(pManager, pName, &smError), mProperties(new KQelVideoProperties(this))
{
    KQelTakeNodeContainer::Init();
    Init();
}

KQelVideo::~KQelVideo()
{
    mProperties->Destroy(0);
    mProperties = nullptr;
}

void KQelVideo::Destruct()
{
    mProperties->Destruct();
}

KString KQelVideo::GetTypeName()
{
    return KString("Clip");
}

KStringList KQelVideo::GetTypeFlags()
{
    KStringList flags;
    flags.Add("Clip", 0);
    return flags;
}

void KQelVideo::AddChannels(KQelTakeNode* pTakeNode)
{
    for (int i = 0, n = mProperties->GetPropertyCount(); i < n; ++i) {
        KProperty* property = mProperties->GetProperty(i);
        if (property && property->IsAnimatable())
            CreateChannelsForProperty(property, pTakeNode);
    }
}

KQelUserProperty* KQelVideo::CreateKQelUserProperty(KProperty* pProperty)
{
    return GetKQelSdkManager().CreateKQelUserProperty(pProperty);
}

int KQelVideo::GetClassID() const
{
    return KQelVideoProperties::ClassId;
}

void KQelVideo::Init()
{
    if (!mProperties)
        return;
    mProperties->mMipMap = false;
    mProperties->mKeepFormat = true;
    mProperties->mOriginalFilename = "";
}

void KQelVideo::Reset()
{
    KQelTakeNodeContainer::Reset();
    Init();
}

// ---- Files ----

bool KQelVideo::SetFileName(const char* pName)
{
    if (!pName || !*pName)
        return false;
    const char* current = mProperties->PathGet();
    if (current && std::strcmp(current, pName) == 0)
        return true;
    mProperties->PathSet(const_cast<char*>(pName));
    current = mProperties->PathGet();
    if (!current || std::strcmp(current, pName) != 0)
        return false;
    UpdateTextures(false);
    return true;
}

const char* KQelVideo::GetFileName() const
{
    return mProperties->PathGet();
}

bool KQelVideo::SetRelativeFileName(const char* pName)
{
    if (!pName || !*pName)
        return false;
    if (mProperties->mRelativeFileName == pName)
        return true;
    mProperties->mRelativeFileName = pName;
    UpdateTextures(true);
    return true;
}

const char* KQelVideo::GetRelativeFileName() const
{
    return mProperties->mRelativeFileName.Buffer();
}

void KQelVideo::UpdateTextures(bool pRelative)
{
    // A texture told of the name calls back only when its video's name
    // differs, which it no longer does: the exchange ends there.
    for (int i = 0; i < mProperties->GetDstCount(); ++i) {
        KQelTexture* texture = dynamic_cast<KQelTexture*>(KQelObjectOfPlug(mProperties->GetDst(i)));
        if (!texture)
            continue;
        if (pRelative)
            texture->SetRelativeFileName(GetRelativeFileName());
        else
            texture->SetFileName(GetFileName());
    }
}

void KQelVideo::SetOriginalFilename(const char* pName)
{
    mProperties->mOriginalFilename = pName ? pName : "";
}

// ---- Clip settings ----

// Getters read through the property's getter, setters write through its
// setter with change notification.
#define QEL_VIDEO_GETTER(Type, Name) \
    Type KQelVideo::Get##Name() { return mProperties->Name.Get(); }
#define QEL_VIDEO_SETTER(Type, Name) \
    void KQelVideo::Set##Name(Type pValue) { mProperties->Name.Set(pValue); }
QEL_VIDEO_GETTER(double, FrameRate)
QEL_VIDEO_GETTER(int, LastFrame)
QEL_VIDEO_GETTER(int, Width)
QEL_VIDEO_GETTER(int, Height)
QEL_VIDEO_GETTER(int, StartFrame)
QEL_VIDEO_GETTER(int, StopFrame)
QEL_VIDEO_GETTER(double, PlaySpeed)
QEL_VIDEO_GETTER(KTime, Offset)
QEL_VIDEO_GETTER(bool, FreeRunning)
QEL_VIDEO_GETTER(bool, Loop)
QEL_VIDEO_SETTER(int, StartFrame)
QEL_VIDEO_SETTER(int, StopFrame)
QEL_VIDEO_SETTER(double, PlaySpeed)
QEL_VIDEO_SETTER(KTime, Offset)
QEL_VIDEO_SETTER(bool, FreeRunning)
QEL_VIDEO_SETTER(bool, Loop)
QEL_VIDEO_SETTER(EInterlaceMode, InterlaceMode)
QEL_VIDEO_SETTER(EAccessMode, AccessMode)
#undef QEL_VIDEO_GETTER
#undef QEL_VIDEO_SETTER

KQelVideo::EInterlaceMode KQelVideo::GetInterlaceMode() const
{
    return mProperties->InterlaceMode.GetValue();
}

KQelVideo::EAccessMode KQelVideo::GetAccessMode() const
{
    return mProperties->AccessMode.GetValue();
}

}  // namespace qelsdk_600
