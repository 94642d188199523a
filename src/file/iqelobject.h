// Object-level persistence over a field file: the name-to-object registry,
// the layout flag, property blocks and embedded media.
#ifndef QELSDK_FILE_IQELOBJECT_H
#define QELSDK_FILE_IQELOBJECT_H

#include <memory>

#include "base/karraytemplate.h"
#include "base/kstring.h"
#include "file/kqel.h"

namespace qelsdk_600 {

class IKObject;
class KObject;
class KProperty;

namespace qel_detail {
struct QelObjectState;
}

// A field file (its KQel part does all reading and writing) with what
// objects need to store themselves. Made by KQelObjectCreate, owned by the
// caller, deleted through the virtual destructor.
class IQelObject : public KQel {
public:
    ~IQelObject() override;

    // ---- Project: as KQel, also starting a fresh set of extracted media ----

    bool ProjectCreate(const char* path, bool binary, bool encrypted, KQelFileHeaderInfo* header);
    bool ProjectOpen(const char* path, bool binaryHint, bool readOnly, KQelFileHeaderInfo* header);
    bool ProjectOpenDirect(const char* path, bool binaryHint, bool readOnly,
                           KQelFileHeaderInfo* header);
    bool ProjectClose();
    bool ProjectDiscard();

    // ---- Name-to-object registry -----------------------------------------

    // Records object under name (case matters). False for a null name or
    // object, or when the name is already taken (the first object stays).
    virtual bool ObjectRegister(const char* name, IKObject* object);
    // The object registered under name, null when none.
    virtual IKObject* ObjectFetch(const char* name);
    // Forgets the name; false when it was not registered.
    virtual bool ObjectNameUnregister(const char* name);
    // Number of names registered.
    virtual int ObjectGetCount() const;
    // A nested read (a scene stored inside this file) works in a fresh,
    // empty registry: Push sets the current one aside, Pop drops the fresh
    // one and gives the set-aside one back. Pop without a Push is refused.
    virtual void ObjectRegistryPush();
    virtual bool ObjectRegistryPop();
    // Number of Push calls not yet popped: how deeply nested reads are
    // stacked on this file (0 outside any).
    int ObjectRegistryGetDepth() const;

    // ---- Layout --------------------------------------------------------

    // True while a file of the older layout (header version below 6000) is
    // read or written; set by the caller. It selects the "Properties" form
    // of property blocks over "Properties60".
    virtual void SetIsBeforeVersion6(bool before);
    virtual bool IsBeforeVersion6() const;

    // ---- Property blocks (layout in docs/qel-format.md) ------

    // Writes the property block of an object at the current level: a field
    // "Properties60" (or "Properties" before version 6) whose block holds
    // the properties of the list. Properties with flag 16 (not savable),
    // without a name, or of a type that holds no storable value are left out.
    virtual void FieldWritePropertiesList(KArrayTemplate<KProperty*>& properties);
    // Reads the property block at the current level into the properties of
    // the list, matched by name. A stored user property the list lacks is
    // taken from handler when it has one of that name, else created there;
    // either way it is appended to the list. A property with flag 16 is
    // never read. A record whose values do not fit its property is skipped.
    // False when the block's field is absent.
    virtual bool FieldReadPropertiesList(KArrayTemplate<KProperty*>& properties, KObject* handler);

    // ---- Embedded media ------------------------------------------------

    // Extracts the raw value of the current field into a file named after
    // the plain file-name part of fileName (a stored name that is absolute
    // or holds "..", '/' or '\' cannot leave the target directory). The
    // target directory: directory when not empty; else the read file's path
    // with its extension replaced by ".qem"; else the temporary directory;
    // it is created when missing. A name already extracted during this read
    // is not extracted again (the earlier result is given, unless its file
    // has been removed since); a target name
    // that is taken goes into the first free numbered subdirectory "1/",
    // "2/", ... No existing file is ever overwritten. On success fileName
    // becomes the full path written, relativeFileName that path relative to
    // the read file's directory, the file is registered with the
    // temporary-file manager (kept unless it went to the temporary
    // directory), *keep (when given) receives that flag, and true is
    // returned. False, leaving no partial file, when there is no raw value,
    // the file cannot be made, or the stored content is short.
    virtual bool FieldReadEmbeddedFile(KString& fileName, KString& relativeFileName,
                                       const char* directory, bool* keep);

protected:
    IQelObject();

private:
    friend IQelObject* KQelObjectCreate();
    // Forgets what was extracted: a new file starts a new read.
    void ResetSession();

    std::unique_ptr<qel_detail::QelObjectState> mObjectState;
};

// A new field file object; the caller owns it.
IQelObject* KQelObjectCreate();

// Events raised on field file objects.
enum {
    kQelObjectEventPasswordNeeded = 16  // a listener may call CheckPassword
};

// Receives the events of field file objects.
class IQelObjectListener {
public:
    virtual ~IQelObjectListener() {}
    virtual void QelObjectEvent(IQelObject* object, int event) = 0;
};

// The listeners form the object manager: it exists while at least one is
// registered. A listener is not owned and must be removed before it ends.
// Adding one twice keeps one entry; false for null.
bool KQelObject_AddListener(IQelObjectListener* listener);
// False when it was not registered.
bool KQelObject_RemoveListener(IQelObjectListener* listener);
// Tells every listener, in order of registration, of the event on the
// object; nothing for a null object or when no listener exists.
void KQelObject_GenerateEvent(IQelObject* object, int event);

}  // namespace qelsdk_600

#endif
