// Runs work on a thread with a small stack, so that any walk that recursed
// once per level of a deep tree would overflow it.
#ifndef QELSDK_TESTS_COMMON_SMALL_STACK_H
#define QELSDK_TESTS_COMMON_SMALL_STACK_H

#include <pthread.h>

#include <gtest/gtest.h>

namespace smallstack {

inline void OnSmallStack(void (*pWork)(void*), void* pData)
{
    struct Call {
        void (*mWork)(void*);
        void* mData;
    } call{pWork, pData};
    pthread_attr_t attributes;
    pthread_attr_init(&attributes);
    pthread_attr_setstacksize(&attributes, 128 * 1024);
    pthread_t thread;
    ASSERT_EQ(pthread_create(&thread, &attributes,
                             [](void* pCall) -> void* {
                                 Call* c = static_cast<Call*>(pCall);
                                 c->mWork(c->mData);
                                 return nullptr;
                             },
                             &call),
              0);
    pthread_join(thread, nullptr);
    pthread_attr_destroy(&attributes);
}

}  // namespace smallstack

#endif
