// Interface roots of the object model and the interface ids they answer.
#ifndef QELSDK_OBJECT_IKOBJECT_H
#define QELSDK_OBJECT_IKOBJECT_H

namespace qelsdk_600 {

// Interface ids given to IQuery.
enum {
    kIID_IKObject = 0,
    kIID_ICallback = 2,
    kIID_KPlug = 0xDE1947F3u,
    kIID_KObject = 0x98ABD146u
};

// Root of every object reached through an interface.
class IKObject {
public:
    // The object seen as the interface of that id, or null when it has none.
    // The second argument is reserved (pass 0).
    virtual IKObject* IQuery(unsigned long pInterfaceId, int pReserved) = 0;
    // Ends an object that a factory made; the argument is not used.
    virtual void Destroy(int pLocal = 0) = 0;

protected:
    virtual ~IKObject() {}
};

// Root of the objects that take notifications (plugs and objects).
class ICallback : public IKObject {
protected:
    ~ICallback() override {}
};

}  // namespace qelsdk_600

#endif
