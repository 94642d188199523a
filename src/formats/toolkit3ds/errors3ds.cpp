#include "formats/toolkit3ds/errors3ds.h"

#include "formats/toolkit3ds/toolkit3ds_impl.h"

namespace qelsdk_600 {

byte3ds ftkerr3ds = 0;
byte3ds ignoreftkerr3ds = 0;
errrec3ds ErrStack[ErrStackSize3ds + 1] = {};

namespace {

std::uint64_t gErrorCount = 0;

struct ErrorText {
    std::int32_t code;
    const char* text;
};

const ErrorText kErrorTexts[] = {
    {NO_FTK_ERRORS, "NO_FTK_ERRORS: No errors are pending"},
    {ERR_NO_MEM, "ERR_NO_MEM: Not enough memory to complete operation"},
    {ERR_INVALID_ARG,
     "ERR_INVALID_ARG: The argument passed to the function is invalid.  Usually caused by a NULL pointer or an out "
     "of range numeric argument."},
    {ERR_INVALID_DATA,
     "ERR_INVALID_DATA: The structure passed as an argument to the function has invalid or out of range data in its "
     "fields."},
    {ERR_INVALID_CHUNK,
     "ERR_INVALID_CHUNK: An invalid chunk structure was encountered while reading the database. Usually caused by a "
     "corrupt database or file"},
    {ERR_INVALID_DATABASE,
     "ERR_INVALID_DATABASE: The database passed as an argument has not be created yet."},
    {ERR_WRONG_DATABASE,
     "ERR_WRONG_DATABASE: The database passed as an argument is the wrong kind of database for this function."},
    {ERR_UNFOUND_CHUNK,
     "ERR_UNFOUND_CHUNK: The database is missing important file chunks needed to fill out the requested structure.  "
     "Usually caused by a corrupt database or file"},
    {ERR_WRONG_OBJECT,
     "ERR_WRONG_OBJECT: The name passed to the functions exists, but is not the type of object asked for.  For "
     "example, asking for a mesh object with the GetCameraByName3ds function."},
    {ERR_NO_SUCH_FILE, "ERR_NO_SUCH_FILE: The filename passed as an argument for reading does not exist"},
    {ERR_INIT_FAILED, "ERR_INIT_FAILED: Failed to initialize structure passed as an argument"},
    {ERR_OPENING_FILE, "ERR_OPENING_FILE: Could not open requested file"},
    {ERR_CLOSING_FILE, "ERR_CLOSING_FILE: Could not close requested file"},
    {ERR_READING_FILE, "ERR_READING_FILE: Error occured while reading file"},
    {ERR_CREATING_DATABASE, "ERR_CREATING_DATABASE: Error occured while creating database"},
    {ERR_READING_DATABASE, "ERR_READING_DATABASE: Error occured while reading database"},
    {ERR_WRITING_DATABASE, "ERR_WRITING_DATABASE: Error occured while writing database"},
    {ERR_WRITING_FILE, "ERR_WRITING_FILE: Error occured while writing file"},
    {ERR_STRING_TOO_LONG,
     "ERR_STRING_TOO_LONG: String encountered in file, structure, or as an argument was longer than expected.  "
     "Possibly caused by an uninitialed pointer, corrupt file or database"},
    {ERR_TOO_MANY_FILES,
     "ERR_TOO_MANY_FILES: The toolkit has reached its maximum open file limit of 252 files."},
    {N_ERRORS, "N_ERRORS: More errors were reported then could be recorded."},
};

}  // namespace

const char* ErrCodeToString3ds(std::int32_t code)
{
    for (const ErrorText& e : kErrorTexts)
        if (e.code == code)
            return e.text;
    return "Unknown error code was encountered";
}

void PushErrList3ds(std::int32_t code)
{
    if (code == 0)
        return;
    ftkerr3ds = 1;
    ++gErrorCount;
    for (int i = 0; i < ErrStackSize3ds - 1; ++i) {
        if (ErrStack[i].errorid == 0) {
            ErrStack[i].errorid = code;
            ErrStack[i].desc = ErrCodeToString3ds(code);
            ErrStack[i + 1].errorid = 0;
            return;
        }
    }
    errrec3ds& last = ErrStack[ErrStackSize3ds - 1];
    if (last.errorid == 0)
        last.errorid = code;
    else
        last.errorid = N_ERRORS;
    last.desc = ErrCodeToString3ds(last.errorid);
}

void ClearErrList3ds()
{
    ftkerr3ds = 0;
    for (int i = 0; i < ErrStackSize3ds; ++i)
        ErrStack[i].errorid = 0;
}

void DumpErrList3ds(std::FILE* stream)
{
    if (!stream)
        return;
    for (int i = ErrStackSize3ds - 1; i >= 0; --i)
        if (ErrStack[i].errorid != 0)
            std::fprintf(stream, "%s\n", ErrStack[i].desc ? ErrStack[i].desc : "");
}

std::uint64_t toolkit3ds_detail::ErrorCount()
{
    return gErrorCount;
}

const errrec3ds* ReturnErrorList3ds()
{
    return ErrStack;
}

}  // namespace qelsdk_600
