// Makes writes past a file size fail, as a full disk would, while it lives.
#ifndef QELSDK_TESTS_COMMON_FILE_SIZE_LIMIT_H
#define QELSDK_TESTS_COMMON_FILE_SIZE_LIMIT_H

#include <signal.h>
#include <sys/resource.h>

class FileSizeLimit {
public:
    explicit FileSizeLimit(rlim_t pBytes)
    {
        mOldHandler = signal(SIGXFSZ, SIG_IGN);
        getrlimit(RLIMIT_FSIZE, &mOld);
        struct rlimit limit = mOld;
        limit.rlim_cur = pBytes;
        setrlimit(RLIMIT_FSIZE, &limit);
    }
    ~FileSizeLimit()
    {
        setrlimit(RLIMIT_FSIZE, &mOld);
        signal(SIGXFSZ, mOldHandler);
    }
    FileSizeLimit(const FileSizeLimit&) = delete;
    FileSizeLimit& operator=(const FileSizeLimit&) = delete;

private:
    struct rlimit mOld;
    void (*mOldHandler)(int);
};

#endif
