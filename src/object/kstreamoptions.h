// Base of the option sets that readers and writers hand out.
#ifndef QELSDK_OBJECT_KSTREAMOPTIONS_H
#define QELSDK_OBJECT_KSTREAMOPTIONS_H

#include "object/kobject.h"

namespace qelsdk_600 {

// Progress report: title, message (either may be null), percentage, and the
// user data given with the callback.
typedef void (*KStreamProgressCallback)(const char* pTitle, const char* pMessage, float pPercent,
                                        void* pUserData);
// Message to the user: title, text, up to three button labels (null: no
// button), the default answer; returns the answer (a button number).
typedef int (*KStreamMessageCallback)(const char* pTitle, const char* pText, const char* pButton1,
                                      const char* pButton2, const char* pButton3,
                                      int pDefaultAnswer, void* pUserData);

// Options base: a progress callback and three message callbacks, each with
// its user data. By default every callback does nothing (a message answers
// its default), so a host that registers nothing sees nothing. Index 1 is
// "the" message callback of errors and warnings; index 0 asks questions.
class KStreamOptions : public KObject {
public:
    enum { kMessageCallbackCount = 3 };

    static int ClassId;
    static KClassDefinition ClassDefinition;

    KStreamOptions();
    ~KStreamOptions() override;
    // Copies the callbacks and their user data.
    KStreamOptions& operator=(const KStreamOptions& pOther);

    KClassDefinition* GetClassDefinition() const override;

    // Puts the do-nothing callbacks back (user data null).
    virtual void Reset();

    // A null callback restores the do-nothing one.
    void SetProgressCallback(KStreamProgressCallback pCallback, void* pUserData);
    // pIndex 0 to 2; other indices change nothing.
    void SetMessageCallback(int pIndex, KStreamMessageCallback pCallback, void* pUserData);
    KStreamProgressCallback GetProgressCallback() const { return mProgress; }
    // Null for an index outside 0 to 2.
    KStreamMessageCallback GetMessageCallback(int pIndex) const;

    // Calls the progress callback with its user data.
    void UpdateProgress(const char* pTitle, const char* pMessage, float pPercent);
    // Calls message callback pIndex with its user data; pDefaultAnswer for an
    // index outside 0 to 2.
    int ShowMessage(int pIndex, const char* pTitle, const char* pText, const char* pButton1,
                    const char* pButton2, const char* pButton3, int pDefaultAnswer);

private:
    KStreamProgressCallback mProgress;
    void* mProgressData;
    KStreamMessageCallback mMessage[kMessageCallbackCount];
    void* mMessageData[kMessageCallbackCount];
};

}  // namespace qelsdk_600

#endif
