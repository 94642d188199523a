// The "Summary" extension: written by the older-layout writer and by the
// reader's update, read into options, or derived from a main section.
#include <sys/stat.h>

#include "file/iqelobject.h"
#include "io/kqelimporter.h"
#include "io/kstreamoptionsqel.h"
#include "native/blocks/kqelblockio.h"
#include "native/blocks/kqelblocks_shared.h"
#include "native/reader/kqelreaderqel.h"
#include "native/writer/kqelwriterqel.h"
#include "scene/kqelentity.h"
#include "scene/kqelnode.h"
#include "scene/kqelscene.h"
#include "scene/kqelsceneinfo.h"
#include "scene/kqelsdkmanager.h"
#include "scene/kqeltakeinfo.h"

namespace qelsdk_600 {

namespace {

// Keys of "ContentCount", in the order of KStreamOptionsQel::EContentCount.
const char* const kCountKeys[KStreamOptionsQel::eContentCountTotal] = {
    "Model", "Device", "Character", "Actor", "Constraint", "Media"};

// A model of this name (after its last ':') marks the scene as a template.
const char kTemplateMarker[] = "~qelexport~";

bool IsTemplateName(const char* pName)
{
    return KQelObject::RemovePrefix(pName) == kTemplateMarker;
}

// Only a regular file may stand for a take: never a device, a pipe or a
// directory, which could block or never end.
bool IsRegularFile(const char* pPath)
{
    struct stat status;
    return ::stat(pPath, &status) == 0 && S_ISREG(status.st_mode);
}

void ReadTakeHeader(KQel& pFile, KQelTakeInfo& pTake)
{
    pTake.mDescription = pFile.FieldReadC("Comments", "");
    pTake.mLocalTimeSpan = pFile.FieldReadTS("LocalTime");
    pTake.mReferenceTimeSpan = pFile.FieldReadTS("ReferenceTime");
}

}  // namespace

namespace native_detail {

void WriteSummaryBlock(KQel& pFile, const SummaryContent& pContent)
{
    WriteBlock summary(pFile, "Summary");
    WriteFieldI(pFile, "Version", 101);
    WriteFieldI(pFile, "Template", pContent.mTemplate ? 1 : 0);
    WriteFieldI(pFile, "PasswordProtection", pContent.mPasswordProtected ? 1 : 0);
    {
        WriteBlock counts(pFile, "ContentCount");
        WriteFieldC(pFile, "Version", "100");
        for (int i = 0; i < KStreamOptionsQel::eContentCountTotal; ++i)
            WriteFieldI(pFile, kCountKeys[i], pContent.mCounts[i]);
    }
    WriteSceneInfoBlock(pFile, pContent.mSceneInfo);
    WriteBlock takes(pFile, "Takes");
    WriteFieldI(pFile, "Version", 101);
    WriteFieldC(pFile, "Current", pContent.mCurrentTake);
    for (const KQelTakeInfo* take : pContent.mTakes) {
        WriteBlock block(pFile, "Take", take->mName.Buffer());
        if (!take->mDescription.IsEmpty())
            WriteFieldC(pFile, "Comments", take->mDescription.Buffer());
        WriteFieldTS(pFile, "LocalTime", take->mLocalTimeSpan);
        WriteFieldTS(pFile, "ReferenceTime", take->mReferenceTimeSpan);
        WriteThumbnailBlock(pFile, take->GetTakeThumbnail());
    }
}

}  // namespace native_detail

// ---- Writer ----

bool KQelWriterQel::WriteExtensionSection(KQelScene& pScene, int pMediaCount)
{
    if (!File().ProjectCreateExtensionSection(false)) {
        // A text file has no extension section; that is no write error.
        File().GetError().ClearLastError();
        return false;
    }
    native_detail::SummaryContent content;
    mOptions->mIsTemplate = false;
    if (KQelEntity* entity = pScene.GetEntity()) {
        for (int i = 0, n = entity->GetNodeCount(); i < n; ++i) {
            if (IsTemplateName(entity->GetNode(i)->GetName())) {
                mOptions->mIsTemplate = true;
                break;
            }
        }
    }
    content.mTemplate = mOptions->mIsTemplate;
    content.mPasswordProtected = mOptions->mIsPasswordProtected && !mOptions->mPassword.IsEmpty();
    const int characters = pScene.GetCharacterCount();
    content.mCounts[KStreamOptionsQel::eContentModel] = pScene.GetRootNode()->GetChildCount(true);
    content.mCounts[KStreamOptionsQel::eContentCharacter] = characters;
    content.mCounts[KStreamOptionsQel::eContentConstraint] = characters;
    content.mCounts[KStreamOptionsQel::eContentMedia] = pMediaCount;
    content.mSceneInfo = pScene.GetSceneInfo();
    content.mCurrentTake = pScene.GetCurrentTakeName();
    KArrayTemplate<KString*> names;
    pScene.FillTakeNameArray(names);
    for (int i = 0; i < names.GetCount(); ++i) {
        const KQelTakeInfo* take = *names[i] == "Default" ? nullptr : pScene.GetTakeInfo(*names[i]);
        if (take && take->mSelect)
            content.mTakes.push_back(take);
    }
    native_detail::WriteSummaryBlock(File(), content);
    for (int i = 0; i < names.GetCount(); ++i)
        delete names[i];
    return File().ProjectCloseSection();
}

// ---- Reader ----

bool KQelReaderQel::WriteOptionsInExtensionSection(bool pOverwrite)
{
    if (!mFile->ProjectCreateExtensionSection(pOverwrite)) {
        mFile->GetError().ClearLastError();
        return false;
    }
    native_detail::SummaryContent content;
    content.mTemplate = mOptions->mIsTemplate;
    content.mPasswordProtected = mOptions->mIsPasswordProtected;
    for (int i = 0; i < KStreamOptionsQel::eContentCountTotal; ++i)
        content.mCounts[i] = mOptions->GetContentCount(static_cast<KStreamOptionsQel::EContentCount>(i));
    content.mSceneInfo = mOptions->mSceneInfo;
    content.mCurrentTake = mOptions->mCurrentTakeName.Buffer();
    for (int i = 0; i < mOptions->mTakeInfo.GetCount(); ++i) {
        if (mOptions->mTakeInfo[i])
            content.mTakes.push_back(mOptions->mTakeInfo[i]);
    }
    native_detail::WriteSummaryBlock(File(), content);
    return mFile->ProjectCloseSection();
}

bool KQelReaderQel::ReadOptionsInExtensionSection(int& pSection)
{
    int section = mFile->ProjectGetExtensionSectionCount() - 1;
    for (; section >= 0; --section) {
        if (!mFile->ProjectOpenExtensionSection(section))
            continue;
        if (mFile->FieldGetInstanceCount("Summary") > 0)
            break;
        mFile->ProjectCloseSection();
    }
    if (section < 0)
        return false;
    {
        native_detail::ReadBlock summary(File(), "Summary");
        if (summary.IsOpen()) {
            const int version = mFile->FieldReadI("Version", 100);
            mOptions->mIsTemplate = mFile->FieldReadI("Template", 0) != 0;
            mOptions->mIsPasswordProtected = mFile->FieldReadI("PasswordProtection", 0) != 0;
            {
                native_detail::ReadBlock counts(File(), "ContentCount");
                if (counts.IsOpen()) {
                    for (int i = 0; i < KStreamOptionsQel::eContentCountTotal; ++i)
                        mOptions->SetContentCount(static_cast<KStreamOptionsQel::EContentCount>(i),
                                                  mFile->FieldReadI(kCountKeys[i], 0));
                }
            }
            if (version > 100) {
                if (mOptions->mSceneInfo)
                    mManager.DestroyKQelSceneInfo(mOptions->mSceneInfo);
                mOptions->mSceneInfo = ReadSceneInfo();
            }
            ReadTakeOptions();
        }
    }
    mFile->ProjectCloseSection();
    pSection = section;
    return true;
}

void KQelReaderQel::ReadTakeOptions()
{
    for (int i = 0; i < mOptions->mTakeInfo.GetCount(); ++i)
        delete mOptions->mTakeInfo[i];
    mOptions->mTakeInfo.Clear();
    mOptions->mCurrentTakeName.Empty();
    native_detail::ReadBlock takes(File(), "Takes");
    if (!takes.IsOpen())
        return;
    const KString current = mFile->FieldReadC("Current", "");
    bool currentFound = false;
    while (mFile->FieldReadBegin("Take")) {
        KQelTakeInfo* take = new KQelTakeInfo;
        take->mName = mFile->FieldReadC();
        if (mFile->FieldReadBlockBegin()) {
            bool fromBlock = true;
            if (mFile->FieldReadBegin("FileName")) {
                const KString path = mFile->GetFullFilePath(mFile->FieldReadC());
                mFile->FieldReadEnd();
                KQel takeFile;
                if (IsRegularFile(path.Buffer()) && takeFile.ProjectOpenDirect(path.Buffer(), false, true, nullptr)) {
                    ReadTakeHeader(takeFile, *take);
                    takeFile.ProjectClose();
                    fromBlock = false;
                } else {
                    fromBlock = mFile->GetHeaderVersion() > 1999;
                }
            }
            if (fromBlock) {
                ReadTakeHeader(*mFile, *take);
                take->SetTakeThumbnail(ReadThumbnail());
            }
            mFile->FieldReadBlockEnd();
        }
        take->mImportName = take->mName;
        mOptions->mTakeInfo.Add(take);
        currentFound = currentFound || take->mName == current;
        mFile->FieldReadEnd();
    }
    if (currentFound)
        mOptions->mCurrentTakeName = current;
    else if (mOptions->mTakeInfo.GetCount() > 0)
        mOptions->mCurrentTakeName = mOptions->mTakeInfo[0]->mName;
}

void KQelReaderQel::ReadOptionsInMainSection()
{
    mFile->FieldReadResetPosition();
    mOptions->mIsPasswordProtected = mFile->IsPasswordPending();
    mImporter.ProgressUpdate(nullptr, "Retrieving content information", nullptr, 0.0f);

    mOptions->SetContentCount(KStreamOptionsQel::eContentModel, mFile->FieldGetInstanceCount("Model"));
    while (mFile->FieldReadBegin("Model")) {
        const bool marker = IsTemplateName(mFile->FieldReadC());
        mFile->FieldReadEnd();
        if (marker) {
            mOptions->mIsTemplate = true;
            break;
        }
    }
    mOptions->SetContentCount(KStreamOptionsQel::eContentDevice, mFile->FieldGetInstanceCount("Device"));
    mOptions->SetContentCount(KStreamOptionsQel::eContentCharacter, mFile->FieldGetInstanceCount("CHARACTER"));
    mOptions->SetContentCount(KStreamOptionsQel::eContentActor, mFile->FieldGetInstanceCount("ACTOR"));

    int constraints = 0;
    {
        native_detail::ReadBlock block(File(), "Constraints");
        while (block.IsOpen() && mFile->FieldReadBegin("Group")) {
            if (mFile->FieldReadBlockBegin()) {
                constraints += mFile->FieldGetInstanceCount("Constraint");
                mFile->FieldReadBlockEnd();
            }
            mFile->FieldReadEnd();
        }
    }
    mOptions->SetContentCount(KStreamOptionsQel::eContentConstraint, constraints);

    int clips = 0;
    {
        native_detail::ReadBlock media(File(), "Media");
        if (media.IsOpen()) {
            native_detail::ReadBlock videos(File(), "Video");
            while (videos.IsOpen() && mFile->FieldReadBegin("Video")) {
                if (mFile->FieldReadBlockBegin()) {
                    if (KString(mFile->FieldReadC("Type", "")) == "Clip")
                        ++clips;
                    mFile->FieldReadBlockEnd();
                }
                mFile->FieldReadEnd();
            }
        }
    }
    mOptions->SetContentCount(KStreamOptionsQel::eContentMedia, clips);

    ReadTakeOptions();
    ReadOptionsInGenericSection();
    mFile->FieldReadResetPosition();
}

void KQelReaderQel::ReadOptionsInGenericSection()
{
    native_detail::ReadBlock block(File(), "SceneGenericPersistence");
    if (!block.IsOpen())
        return;
    if (mOptions->mSceneInfo)
        mManager.DestroyKQelSceneInfo(mOptions->mSceneInfo);
    mOptions->mSceneInfo = ReadSceneInfo();
}

}  // namespace qelsdk_600
