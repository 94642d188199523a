#include <vesk/ValueArray.h>

#include <cstdio>
#include <cstdlib>

namespace vesk {

void arrayIndexAbort(const char* arrayName, unsigned int index, unsigned int length)
{
    std::fprintf(stderr, "%s: index %u out of range (length %u)\n", arrayName ? arrayName : "array", index,
                 length);
    std::fflush(stderr);
    std::abort();
}

} // namespace vesk
