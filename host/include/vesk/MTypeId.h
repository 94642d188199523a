// The numeric identity of a node kind.
#ifndef VESK_MTYPEID_H
#define VESK_MTYPEID_H

// Each node kind has one id (vesk/MFn.h lists the kinds); 0 is no kind.
class MTypeId {
public:
    MTypeId() {}
    explicit MTypeId(unsigned int id) : mId(id) {}
    unsigned int id() const { return mId; }
    bool operator==(const MTypeId& o) const { return mId == o.mId; }
    bool operator!=(const MTypeId& o) const { return mId != o.mId; }

private:
    unsigned int mId = 0;
};

#endif
