// Scripted readers and writers put behind format numbers, and stand-ins for
// the manager and the scene, which the front ends only pass on.
#ifndef QELSDK_TESTS_IO_IO_FAKES_H
#define QELSDK_TESTS_IO_IO_FAKES_H

#include <gtest/gtest.h>

#include <string>

#include "io/kqelexporter.h"
#include "io/kqelimporter.h"
#include "io/kqelio_impl.h"
#include "io/kqelreader.h"
#include "io/kqelwriter.h"
#include "io/kstreamoptionsqel.h"
#include "scene/kqelnode.h"
#include "scene/kqelscene.h"
#include "scene/kqelsdkmanager.h"

namespace qelsdk_600 {
namespace iotest {

// Never dereferenced: the front ends hand it to readers and writers only.
inline KQelSdkManager& StandInManager()
{
    alignas(16) static unsigned char sStorage[64];
    return *reinterpret_cast<KQelSdkManager*>(sStorage);
}

// An empty scene: no scene information, nothing below its root.
inline KQelScene& StandInScene()
{
    static KQelSdkManager sManager;
    static KQelScene* sScene = sManager.CreateKQelScene();
    return *sScene;
}

// What a fake does and what happened to it.
struct Script {
    int mFormat = -1;             // the format it stands behind
    bool mOpenSucceeds = true;    // FileOpen / FileCreate
    int mOpenError = -1;
    std::string mOpenErrorText;
    bool mGivesOptions = true;    // GetReadOptions / GetWriteOptions
    bool mStreamSucceeds = true;  // Read / Write
    int mStreamError = -1;
    std::string mStreamErrorText;  // empty: the table's text
    std::string mMessage;
    KQelIO* mFrontEnd = nullptr;  // told of progress during Read / Write
    const char* mProgressDetail = "nodes";

    int mMade = 0;
    int mDeleted = 0;
    int mOpens = 0;
    int mStreams = 0;
    bool mLastParseFlag = false;
    std::string mOpenedName;
    KStreamOptions* mStreamOptions = nullptr;
    // What Read / Write saw of native options.
    int mSeenOptions[KStreamOptionsQel::eOptionCount] = {};
    bool mSeenNative = false;
    bool mSeenProtected = false;
    std::string mSeenPassword;
};

inline void Observe(Script& pScript, KStreamOptions* pOptions)
{
    ++pScript.mStreams;
    pScript.mStreamOptions = pOptions;
    pScript.mSeenNative = pOptions && pOptions->Is(KStreamOptionsQel::ClassId);
    if (!pScript.mSeenNative)
        return;
    auto* native = static_cast<KStreamOptionsQel*>(pOptions);
    for (int i = 0; i < KStreamOptionsQel::eOptionCount; ++i)
        pScript.mSeenOptions[i] = native->GetOption(static_cast<KStreamOptionsQel::EOption>(i));
    pScript.mSeenProtected = native->mIsPasswordProtected;
    pScript.mSeenPassword = native->mPassword.Buffer();
}

// FileOpen / FileCreate of a fake.
inline bool Open(Script& pScript, KError& pError, const char* pFileName)
{
    ++pScript.mOpens;
    pScript.mOpenedName = pFileName;
    if (!pScript.mOpenSucceeds)
        pError.SetLastError(pScript.mOpenError, pScript.mOpenErrorText.c_str());
    return pScript.mOpenSucceeds;
}

// Read / Write of a fake: observes the options, reports progress, leaves
// its message.
inline bool Stream(Script& pScript, KError& pError, KString& pMessage, KStreamOptions* pOptions)
{
    Observe(pScript, pOptions);
    if (pScript.mFrontEnd)
        pScript.mFrontEnd->ProgressUpdate("Title", "Reading", pScript.mProgressDetail, 50.0f);
    pMessage = pScript.mMessage.c_str();
    if (!pScript.mStreamSucceeds && pScript.mStreamErrorText.empty())
        pError.SetLastErrorID(pScript.mStreamError);
    else if (!pScript.mStreamSucceeds)
        pError.SetLastError(pScript.mStreamError, pScript.mStreamErrorText.c_str());
    return pScript.mStreamSucceeds;
}

// Checks the format tables of a front end for -3 to 20: the expected texts
// inside the table, empty ones outside.
template <class FrontEnd>
void ExpectFormatTexts(const FrontEnd& pFrontEnd, const char* const* pDescriptions,
                       const char* const* pExtensions, int pCount)
{
    for (int format = -3; format <= 20; ++format) {
        bool inTable = format >= 0 && format < pCount;
        auto f = static_cast<typename FrontEnd::EFileFormat>(format);
        EXPECT_STREQ(inTable ? pDescriptions[format] : "", pFrontEnd.GetFileFormatDescription(f))
            << format;
        EXPECT_STREQ(inTable ? pExtensions[format] : "", pFrontEnd.GetFileFormatExtension(f))
            << format;
    }
}

class FakeReader : public KQelReader {
public:
    FakeReader(KQelSdkManager& pManager, Script& pScript) : KQelReader(pManager), mScript(pScript)
    {
        ++mScript.mMade;
    }
    ~FakeReader() override { ++mScript.mDeleted; }

    bool FileOpen(const char* pFileName) override { return Open(mScript, mError, pFileName); }
    bool FileClose() override { return true; }
    bool IsFileOpen() override { return true; }
    KStreamOptions* GetReadOptions(bool pParseFile) override
    {
        mScript.mLastParseFlag = pParseFile;
        return mScript.mGivesOptions ? KStreamOptionsQelCreate() : nullptr;
    }
    bool Read(KQelScene&, KStreamOptions* pOptions) override
    {
        return Stream(mScript, mError, mMessage, pOptions);
    }

private:
    Script& mScript;
};

class FakeWriter : public KQelWriter {
public:
    FakeWriter(KQelSdkManager& pManager, Script& pScript) : KQelWriter(pManager), mScript(pScript)
    {
        ++mScript.mMade;
    }
    ~FakeWriter() override { ++mScript.mDeleted; }

    bool FileCreate(const char* pFileName) override { return Open(mScript, mError, pFileName); }
    bool FileClose() override { return true; }
    bool IsFileOpen() override { return true; }
    KStreamOptions* GetWriteOptions() override
    {
        return mScript.mGivesOptions ? KStreamOptionsQelCreate() : nullptr;
    }
    bool Write(KQelScene&, KStreamOptions* pOptions) override
    {
        return Stream(mScript, mError, mMessage, pOptions);
    }

private:
    Script& mScript;
};

// Puts a scripted reader or writer behind one format number while it lives.
class FakeFormat {
public:
    explicit FakeFormat(int pFormat)
    {
        sScript = &mScript;
        mScript.mFormat = pFormat;
        io_detail::SetReaderMaker(MakeReader);
        io_detail::SetWriterMaker(MakeWriter);
    }
    ~FakeFormat()
    {
        io_detail::SetReaderMaker(nullptr);
        io_detail::SetWriterMaker(nullptr);
        sScript = nullptr;
    }
    FakeFormat(const FakeFormat&) = delete;
    FakeFormat& operator=(const FakeFormat&) = delete;

    Script& operator*() { return mScript; }
    Script* operator->() { return &mScript; }

private:
    static KQelReader* MakeReader(KQelSdkManager& pManager, KQelImporter&, int pFormat)
    {
        return sScript && pFormat == sScript->mFormat ? new FakeReader(pManager, *sScript) : nullptr;
    }
    static KQelWriter* MakeWriter(KQelSdkManager& pManager, KQelExporter&, int pFormat)
    {
        return sScript && pFormat == sScript->mFormat ? new FakeWriter(pManager, *sScript) : nullptr;
    }

    Script mScript;
    static inline Script* sScript = nullptr;
};

// Records the progress reports that reach an options object.
struct ProgressLog {
    int mCalls = 0;
    std::string mTitle;
    std::string mMessage;
    float mPercent = 0.0f;

    static void Record(const char* pTitle, const char* pMessage, float pPercent, void* pData)
    {
        auto* log = static_cast<ProgressLog*>(pData);
        ++log->mCalls;
        log->mTitle = pTitle ? pTitle : "";
        log->mMessage = pMessage ? pMessage : "";
        log->mPercent = pPercent;
    }
};

// A new node named pName, the last child of pParent when there is one.
inline KQelNode* Child(KQelSdkManager& pManager, KQelNode* pParent, const char* pName)
{
    KQelNode* node = pManager.CreateKQelNode(pName);
    if (pParent)
        pParent->AddChild(node);
    return node;
}

}  // namespace iotest
}  // namespace qelsdk_600

#endif
