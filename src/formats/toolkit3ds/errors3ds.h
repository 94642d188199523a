// The toolkit's error convention: every function records a failure on one
// global error stack and sets ftkerr3ds; after each call the caller tests
// ftkerr3ds and, unless ignoreftkerr3ds is set, returns at once with its own
// neutral result. Nothing is thrown. The toolkit is used by one thread at a
// time.
#ifndef QELSDK_FORMATS_TOOLKIT3DS_ERRORS3DS_H
#define QELSDK_FORMATS_TOOLKIT3DS_ERRORS3DS_H

#include <cstdint>
#include <cstdio>

#include "formats/toolkit3ds/types3ds.h"

namespace qelsdk_600 {

// Error codes (texts in ErrCodeToString3ds).
enum : std::int32_t {
    NO_FTK_ERRORS = 0,
    ERR_NO_MEM = 1,
    ERR_INVALID_ARG = 2,
    ERR_INVALID_DATA = 3,
    ERR_INVALID_CHUNK = 4,
    ERR_INVALID_DATABASE = 5,
    ERR_WRONG_DATABASE = 6,
    ERR_UNFOUND_CHUNK = 7,
    ERR_WRONG_OBJECT = 8,
    ERR_NO_SUCH_FILE = 9,
    ERR_INIT_FAILED = 10,
    ERR_OPENING_FILE = 11,
    ERR_CLOSING_FILE = 12,
    ERR_READING_FILE = 13,
    ERR_CREATING_DATABASE = 14,
    ERR_READING_DATABASE = 15,
    ERR_WRITING_DATABASE = 16,
    ERR_WRITING_FILE = 17,
    ERR_STRING_TOO_LONG = 18,
    ERR_TOO_MANY_FILES = 19,
    ERR_GET_FAIL = 20,
    ERR_PUT_FAIL = 21,
    N_ERRORS = 22
};

// One record of the error stack; code 0 marks a free record.
struct errrec3ds {
    std::int32_t errorid;
    const char* desc;
};

// Number of records that hold errors (the stack has one end record more).
constexpr int ErrStackSize3ds = 20;

// Set to 1 by every PushErrList3ds with a non-zero code; cleared only by
// ClearErrList3ds.
extern byte3ds ftkerr3ds;
// While 0, a function that meets an error records it and returns at once;
// while set, it records it and carries on. Initially 0.
extern byte3ds ignoreftkerr3ds;
// The 20 records and the end record.
extern errrec3ds ErrStack[ErrStackSize3ds + 1];

// Records a code and its text in the first free record of the first 19;
// when they are used, the 20th takes it, and when that one is used too its
// code becomes N_ERRORS. Code 0 changes nothing.
void PushErrList3ds(std::int32_t code);
// Clears ftkerr3ds and frees all 20 records.
void ClearErrList3ds();
// Prints the text of each used record, "%s\n", from the 20th down to the
// first.
void DumpErrList3ds(std::FILE* stream);
// The error stack, read-only.
const errrec3ds* ReturnErrorList3ds();
// The constant text of a code; every code outside the table gives
// "Unknown error code was encountered".
const char* ErrCodeToString3ds(std::int32_t code);

}  // namespace qelsdk_600

#endif
