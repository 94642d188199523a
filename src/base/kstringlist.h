// Lists of texts, each paired with a reference value.
#ifndef QELSDK_BASE_KSTRINGLIST_H
#define QELSDK_BASE_KSTRINGLIST_H

#include "base/karraytemplate.h"
#include "base/kstring.h"
#include "base/ktypes.h"

#include <new>

namespace qelsdk_600 {

// One entry of a string list: a text and a reference value (which may hold a
// pointer; the list never owns what it points to).
class KStringListItem {
public:
    explicit KStringListItem(const char* text = "", kReference reference = 0)
        : mString(text), mReference(reference) {}

    KString mString;
    kReference mReference;
};

// List of items, each allocated on insertion and deleted with its text when
// removed, cleared or destroyed. Copies copy every item. Indexes are 0-based;
// an index out of range changes nothing and reads as an empty text or 0.
template <class Type>
class KStringListTemplate {
public:
    KStringListTemplate() : mList(16) {}
    KStringListTemplate(const KStringListTemplate& other) : mList(16) { CopyFrom(other); }
    KStringListTemplate& operator=(const KStringListTemplate& other)
    {
        if (this != &other) {
            Clear();
            CopyFrom(other);
        }
        return *this;
    }
    virtual ~KStringListTemplate() { DeleteAndClear(mList); }

    // Replaces the text of the item at the index.
    virtual void SetStringAt(int index, const char* text)
    {
        if (index >= 0 && index < mList.GetCount())
            mList[index]->mString = text;
    }
    // Inserts a new item at the index, clamped to [0, count] (the count
    // appends); the index used, -1 on failure.
    virtual int InsertAt(int index, const char* text, kReference reference = 0)
    {
        Type* item = new (std::nothrow) Type(text, reference);
        if (!item)
            return -1;
        int used = mList.InsertAt(index, item);
        if (used < 0)
            delete item;
        return used;
    }
    // Deletes the item at the index and closes the gap.
    virtual void RemoveAt(int index)
    {
        if (index >= 0 && index < mList.GetCount()) {
            delete mList[index];
            mList.RemoveAt(index);
        }
    }
    // Deletes every item.
    virtual void Clear() { DeleteAndClear(mList); }
    // The texts joined with '~' (an empty list gives the empty text).
    virtual void GetText(KString& text) const
    {
        text.Empty();
        for (int i = 0; i < mList.GetCount(); ++i) {
            if (i > 0)
                text += "~";
            text += mList[i]->mString;
        }
    }
    // Replaces the items by the pieces of text between '~' separators, each with
    // reference 0; empty pieces are kept so that GetText round-trips. An empty
    // or null text gives an empty list.
    virtual void SetText(const char* text)
    {
        Clear();
        if (!text || !*text)
            return;
        const char* start = text;
        for (;;) {
            const char* end = start;
            while (*end && *end != '~')
                ++end;
            KString piece(start, static_cast<int>(end - start));
            Add(piece.Buffer(), 0);
            if (!*end)
                break;
            start = end + 1;
        }
    }

    // Appends an item; its index, -1 on failure.
    int Add(const char* text, kReference reference = 0) { return InsertAt(mList.GetCount(), text, reference); }
    int GetCount() const { return mList.GetCount(); }
    // The item's text (the empty text when out of range).
    const char* GetStringAt(int index) const
    {
        return index >= 0 && index < mList.GetCount() ? mList[index]->mString.Buffer() : "";
    }
    // The item's reference value (0 when out of range).
    kReference GetReferenceAt(int index) const
    {
        return index >= 0 && index < mList.GetCount() ? mList[index]->mReference : 0;
    }

protected:
    void CopyFrom(const KStringListTemplate& other)
    {
        for (int i = 0; i < other.mList.GetCount(); ++i)
            Add(other.mList[i]->mString.Buffer(), other.mList[i]->mReference);
    }

    KArrayTemplate<Type*> mList;
};

// The usual string list.
class KStringList : public KStringListTemplate<KStringListItem> {
public:
    KStringList() {}
};

}  // namespace qelsdk_600

#endif
