#include "object/kstreamoptions.h"

namespace qelsdk_600 {

namespace {

void NoProgress(const char*, const char*, float, void*) {}

int NoMessage(const char*, const char*, const char*, const char*, const char*, int pDefaultAnswer,
              void*)
{
    return pDefaultAnswer;
}

}  // namespace

KClassDefinition KStreamOptions::ClassDefinition = {&KStreamOptions::ClassId,
                                                    &KObject::ClassDefinition, "KStreamOptions",
                                                    nullptr};
int KStreamOptions::ClassId = KPlug_RegisterClassId(&KStreamOptions::ClassDefinition, -1);

KStreamOptions::KStreamOptions()
{
    Reset();
}

KStreamOptions::~KStreamOptions() {}

KStreamOptions& KStreamOptions::operator=(const KStreamOptions& pOther)
{
    mProgress = pOther.mProgress;
    mProgressData = pOther.mProgressData;
    for (int i = 0; i < kMessageCallbackCount; ++i) {
        mMessage[i] = pOther.mMessage[i];
        mMessageData[i] = pOther.mMessageData[i];
    }
    return *this;
}

KClassDefinition* KStreamOptions::GetClassDefinition() const
{
    return &ClassDefinition;
}

void KStreamOptions::Reset()
{
    mProgress = NoProgress;
    mProgressData = nullptr;
    for (int i = 0; i < kMessageCallbackCount; ++i) {
        mMessage[i] = NoMessage;
        mMessageData[i] = nullptr;
    }
}

void KStreamOptions::SetProgressCallback(KStreamProgressCallback pCallback, void* pUserData)
{
    mProgress = pCallback ? pCallback : NoProgress;
    mProgressData = pUserData;
}

void KStreamOptions::SetMessageCallback(int pIndex, KStreamMessageCallback pCallback,
                                        void* pUserData)
{
    if (pIndex < 0 || pIndex >= kMessageCallbackCount)
        return;
    mMessage[pIndex] = pCallback ? pCallback : NoMessage;
    mMessageData[pIndex] = pUserData;
}

KStreamMessageCallback KStreamOptions::GetMessageCallback(int pIndex) const
{
    return pIndex >= 0 && pIndex < kMessageCallbackCount ? mMessage[pIndex] : nullptr;
}

void KStreamOptions::UpdateProgress(const char* pTitle, const char* pMessage, float pPercent)
{
    mProgress(pTitle, pMessage, pPercent, mProgressData);
}

int KStreamOptions::ShowMessage(int pIndex, const char* pTitle, const char* pText,
                                const char* pButton1, const char* pButton2, const char* pButton3,
                                int pDefaultAnswer)
{
    if (pIndex < 0 || pIndex >= kMessageCallbackCount)
        return pDefaultAnswer;
    return mMessage[pIndex](pTitle, pText, pButton1, pButton2, pButton3, pDefaultAnswer,
                            mMessageData[pIndex]);
}

}  // namespace qelsdk_600
