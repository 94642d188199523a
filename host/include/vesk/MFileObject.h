// A file chosen for a translator: its path, made absolute.
#ifndef VESK_MFILEOBJECT_H
#define VESK_MFILEOBJECT_H

#include <vesk/MString.h>
#include <vesk/VeskExport.h>

class VESK_API MFileObject {
public:
    MFileObject() {}

    // Chooses the path. A relative path is made absolute against the
    // working directory of that moment ("dir/a.qel" in /w gives
    // "/w/dir/a.qel", nothing else cleaned); an absolute one, or any path when
    // the working directory cannot be read, is kept byte for byte.
    void setRawFullName(const MString& path);
    // The chosen path as above ("" when none was chosen).
    MString fullName() const { return mFullName; }
    // The part of fullName() after its last "/" (all of it without one).
    MString name() const;

private:
    MString mFullName;
};

#endif
