// Records made on first use.
#ifndef QELSDK_OBJECT_KONDEMAND_H
#define QELSDK_OBJECT_KONDEMAND_H

#include <memory>

namespace qelsdk_600 {

// Holds a T made on first use (Make); until then Read answers with an empty
// T, constant and shared by every holder, so that reading makes nothing. T
// must be default-constructible.
template <class T>
class KOnDemand {
public:
    T& Make()
    {
        if (!mRecord)
            mRecord.reset(new T);
        return *mRecord;
    }
    const T& Read() const { return mRecord ? *mRecord : Empty(); }
    // The record, null before it is made.
    T* Get() const { return mRecord.get(); }

private:
    static const T& Empty()
    {
        static const T kEmpty;
        return kEmpty;
    }

    std::unique_ptr<T> mRecord;
};

}  // namespace qelsdk_600

#endif
