#include "base/klib.h"

#include <string>

namespace qelsdk_600 {

namespace {

// Function-local statics so that callers running during static initialisation
// of other units find them constructed.
std::string& MasterDirectory() {
    static std::string dir;
    return dir;
}

std::string& ConfigDirectory() {
    static std::string dir;
    return dir;
}

struct HookPair {
    KBaseLibHook init;
    KBaseLibHook terminate;
};

const int kMaxHooks = 16;
HookPair gsHooks[kMaxHooks];
int gsHookCount = 0;
int gsInitCount = 0;

}  // namespace

void KLib_SetMasterDirectory(const char* directory) { MasterDirectory() = directory ? directory : ""; }

const char* KLib_GetMasterDirectory() { return MasterDirectory().c_str(); }

void KLib_SetConfigDirectory(const char* directory) { ConfigDirectory() = directory ? directory : ""; }

const char* KLib_GetConfigDirectory() { return ConfigDirectory().c_str(); }

bool KBaseLib_RegisterHooks(KBaseLibHook init, KBaseLibHook terminate) {
    for (int i = 0; i < gsHookCount; ++i) {
        if (gsHooks[i].init == init && gsHooks[i].terminate == terminate) return true;
    }
    if (gsHookCount == kMaxHooks) return false;
    gsHooks[gsHookCount++] = HookPair{init, terminate};
    if (gsInitCount > 0 && init) init();
    return true;
}

bool KBaseLib_Init() {
    if (gsInitCount++ == 0) {
        for (int i = 0; i < gsHookCount; ++i) {
            if (gsHooks[i].init) gsHooks[i].init();
        }
    }
    return true;
}

bool KBaseLib_Terminate() {
    if (gsInitCount == 0) return false;
    if (--gsInitCount > 0) return false;
    for (int i = gsHookCount - 1; i >= 0; --i) {
        if (gsHooks[i].terminate) gsHooks[i].terminate();
    }
    return true;
}

int KBaseLib_GetInitCount() { return gsInitCount; }

}  // namespace qelsdk_600
