// Path texts, file existence, temporary names and directory creation.
#ifndef QELSDK_BASE_KPATH_H
#define QELSDK_BASE_KPATH_H

#include <cstdio>

#include "base/kstring.h"

namespace qelsdk_600 {

// Paths accept both '/' and '\' as separators when split; results use '/'.
// A null path reads as the empty text.

// The part after the last '/' or '\' (the whole text when there is neither);
// with keepExtension false the extension, from the last '.' on, is cut too.
KString ExtractFileName(const char* path, bool keepExtension = true);

// The text after the last '.' of the file part, without the '.'; empty when
// the file part has no '.'. Paths of any length are handled.
KString ExtractFileExtension(const char* path);

// The text before the last '/', or when there is none before the last '\';
// empty when there is neither.
KString ExtractDirectoryFromFilePath(const char* path);

// The path with the extension of its file part replaced by `extension` (given
// with or without its leading '.'), or with it appended when there is none.
// A null or empty extension removes the extension.
KString ChangeFileExtension(const char* path, const char* extension);

// True when the file can be opened for reading ("rb"); false for a null or
// empty path.
bool FileExist(const char* path);

// True for a non-null path that does not start with '/' (the empty text is
// relative); false for null.
bool GetIsRelativePath(const char* path);

// The path of `filePath` relative to the directory `baseDirectory`, both
// cleaned first ("../" climbs out of the base). A relative file path, or a
// null or empty base, gives the cleaned file path unchanged.
KString GetRelativeFilePath(const char* baseDirectory, const char* filePath);

// A name that starts with '/' is returned unchanged; otherwise the directory,
// a '/' unless it already ends in '/' or '\' (an empty directory gets one),
// and the name, cleaned by KCleanPath.
KString MakeFullPath(const char* directory, const char* name);

// Splits at '/' and '\', drops empty and "." parts, resolves ".." against the
// part before it (".." above the root of an absolute path is dropped, above
// the start of a relative one kept), and joins with '/'. A leading separator
// stays; the empty text stays empty.
KString KCleanPath(const char* path);

// The process's current directory; empty on failure.
KString KGetCurrentDirectory();

// Writes the temporary directory, ending in '/', into buffer: the value of
// the environment variable "TMPDIR" (when set and not empty) or "/tmp/".
// Returns its length; 0 with the buffer unchanged when the text and its NUL
// do not fit in bufferSize bytes or buffer is null.
unsigned int GetTempPath(unsigned int bufferSize, char* buffer);

// Creates a new empty file named directory/prefix + unique part + suffix
// with owner-only access and returns its name; the name is taken atomically,
// so no other process can obtain it. The caller removes the file. A null or
// empty directory means GetTempPath's; a prefix or suffix holding '/' is
// refused. Empty on failure.
KString GetTempName(const char* directory, const char* prefix, const char* suffix = nullptr);

// Makes sure the directory part of a file path (the text before its last
// '/') exists, creating each missing level with mkdir(2), never through a
// shell. A path without '/' needs nothing. False when a level cannot be made
// or exists as something other than a directory.
bool KEnsureDirectoryExistance(const char* filePath);

// Reads one line of at most size - 1 characters into buffer and ends it with
// a NUL. A line ends at LF, CR LF or a lone CR, and the line end stays in the
// buffer. Null at the end of the file when nothing was read, on a read
// error, or for a null buffer or stream or a size below 1.
char* KFgets(char* buffer, int size, FILE* stream);

}  // namespace qelsdk_600

#endif
