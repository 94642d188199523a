// Node store: construction, node lifecycle, creation order, the new scene.
#include "store/node_store.h"

#include <algorithm>

#include "store/registrars.h"
#include "store/selection.h"
#include "store/store_impl.h"
#include "store/types.h"

namespace vesk {

NodeStore& store()
{
    // Never destroyed: module static destructors may still use the host.
    static NodeStore* s = new NodeStore;
    return *s;
}

NodeStore::NodeStore() : mKinds(new KindRegistry), mSelection(new SelectionData)
{
    for (size_t i = 0; i < kRegistrarCount; ++i)
        kRegistrars[i](*mKinds);
    mKinds->finalize();

    NodeRecord world;
    world.gen = 1;
    world.live = true;
    world.kind = mKinds->find(MFn::kWorld);
    mNodes.push_back(std::move(world));
    mWorld = NodeId{0, 1};
    buildDefaultScene();
}

NodeStore::~NodeStore() {}

const Kind* NodeStore::kind(const std::string& typeName) const
{
    return mKinds->find(typeName);
}

const Kind* NodeStore::kind(MFn::Type type) const
{
    return mKinds->find(type);
}

NodeStore::NodeRecord* NodeStore::record(NodeId n)
{
    if (n.index >= mNodes.size())
        return nullptr;
    NodeRecord& r = mNodes[n.index];
    return r.live && r.gen == n.gen ? &r : nullptr;
}

const NodeStore::NodeRecord* NodeStore::record(NodeId n) const
{
    return const_cast<NodeStore*>(this)->record(n);
}

bool NodeStore::isAlive(NodeId n) const
{
    return record(n) != nullptr;
}

const Kind* NodeStore::kindOf(NodeId n) const
{
    const NodeRecord* r = record(n);
    return r ? r->kind : nullptr;
}

Payload* NodeStore::payload(NodeId n) const
{
    const NodeRecord* r = record(n);
    return r ? r->payload.get() : nullptr;
}

NodeId NodeStore::createNode(const std::string& typeName, const std::string& name, NodeId parent, MStatus* status)
{
    return createNode(kind(typeName), name, parent, status);
}

NodeId NodeStore::createNode(const Kind* k, const std::string& name, NodeId parent, MStatus* status)
{
    auto fail = [&]() {
        if (status)
            *status = MStatus::kInvalidParameter;
        return NodeId();
    };
    if (!k || k->abstract || k->type() == MFn::kWorld)
        return fail();
    std::vector<NodeId> parentList;
    if (k->isDag()) {
        if (!parent.valid())
            parent = mWorld;
        const NodeRecord* p = record(parent);
        if (!p || !p->kind->isDag())
            return fail();
        parentList.push_back(parent);
    } else if (parent.valid()) {
        return fail();
    }

    uint32_t index;
    if (!mFreeSlots.empty()) {
        index = mFreeSlots.back();
        mFreeSlots.pop_back();
    } else {
        index = static_cast<uint32_t>(mNodes.size());
        mNodes.emplace_back();
    }
    NodeRecord& r = mNodes[index];
    r.gen += 1;
    r.live = true;
    r.kind = k;
    r.seq = ++mSeq;
    const NodeId id{index, r.gen};
    mOrder.push_back(OrderEntry{r.seq, id});

    const std::string wanted = legalName(name.empty() ? k->typeName() + "1" : name);
    r.name = uniqueName(wanted, k->isDag(), parentList);
    indexName(id);
    if (k->isDag())
        linkChild(parent, id, -1);
    ++mLiveCount;
    if (k->payloadFactory)
        mNodes[index].payload = k->payloadFactory(*this, id);
    if (status)
        *status = MStatus::kSuccess;
    return id;
}

MStatus NodeStore::deleteNode(NodeId n)
{
    if (!record(n) || n == mWorld)
        return MStatus::kInvalidParameter;
    // The node and every DAG descendant left without a parent outside the
    // deleted set.
    std::vector<NodeId> doomed{n};
    std::unordered_set<uint32_t> doomedIndex{n.index};
    for (size_t i = 0; i < doomed.size(); ++i) {
        for (NodeId c : record(doomed[i])->children) {
            if (doomedIndex.count(c.index))
                continue;
            bool orphan = true;
            for (NodeId p : record(c)->parents)
                if (!doomedIndex.count(p.index)) {
                    orphan = false;
                    break;
                }
            if (orphan) {
                doomed.push_back(c);
                doomedIndex.insert(c.index);
            }
        }
    }
    for (size_t i = doomed.size(); i-- > 0;)
        if (record(doomed[i]))
            destroyNode(doomed[i]);
    return MStatus::kSuccess;
}

void NodeStore::destroyNode(NodeId n)
{
    // A copy: a listener may remove itself.
    const auto listeners = mDeletionListeners;
    for (const auto& l : listeners)
        l.second(n);
    NodeRecord* r = record(n);
    if (!r)
        return;
    // Connections: the peers' lists shrink; this node's list goes at once.
    const std::vector<uint32_t> conns = r->connections;
    for (uint32_t id : conns)
        if (id != kNoConnection && mConnections[id].live)
            removeConnection(id);
    mSelection->removeNode(n);
    const std::vector<NodeId> parentsCopy = r->parents;
    for (NodeId p : parentsCopy)
        unlinkChild(p, n);
    const std::vector<NodeId> childrenCopy = record(n)->children;
    for (NodeId c : childrenCopy) {
        unlinkChild(n, c);
        // A surviving child (an instance kept by another parent) stays put.
    }
    r = record(n);
    unindexName(n);
    releaseNumber(r->name, r->kind->isDag(), parentsCopy);
    for (Ref<Attribute>& a : r->dynamicAttrs) {
        a->markDeleted();
        a->setOwner(Attribute::kFree, NodeId());
    }
    r->dynamicAttrs.clear();
    r->plugs.reset();
    r->payload.reset();
    r->connections.clear();
    r->deadConnections = 0;
    r->name.clear();
    r->parents.clear();
    r->children.clear();
    r->firstPath = Path();
    r->firstPathAt = 0;
    r->intermediate = false;
    r->live = false;
    r->kind = nullptr;
    mFreeSlots.push_back(n.index);
    --mLiveCount;
    ++mOrderDead;
    if (mOrderDead > 1024 && mOrderDead * 2 > mOrder.size()) {
        mOrder.erase(std::remove_if(mOrder.begin(), mOrder.end(),
                                    [&](const OrderEntry& e) { return !isAlive(e.node); }),
                     mOrder.end());
        mOrderDead = 0;
    }
}

size_t NodeStore::addDeletionListener(const std::function<void(NodeId)>& fn)
{
    mDeletionListeners.emplace_back(mNextListener, fn);
    return mNextListener++;
}

size_t NodeStore::addResetListener(const std::function<void()>& fn)
{
    mResetListeners.emplace_back(mNextListener, fn);
    return mNextListener++;
}

void NodeStore::removeListener(size_t id)
{
    auto drop = [id](auto& list) {
        list.erase(std::remove_if(list.begin(), list.end(), [id](const auto& l) { return l.first == id; }),
                   list.end());
    };
    drop(mDeletionListeners);
    drop(mResetListeners);
}

NodeId NodeStore::nextInCreationOrder(uint64_t seq, uint64_t* seqOut) const
{
    auto it = std::upper_bound(mOrder.begin(), mOrder.end(), seq,
                               [](uint64_t s, const OrderEntry& e) { return s < e.seq; });
    for (; it != mOrder.end(); ++it)
        if (isAlive(it->node)) {
            if (seqOut)
                *seqOut = it->seq;
            return it->node;
        }
    return NodeId();
}

void NodeStore::reset()
{
    // Emptied first: each deletion would otherwise scan what is selected.
    mSelection->clear();
    std::vector<NodeId> all;
    for (const OrderEntry& e : mOrder)
        if (isAlive(e.node))
            all.push_back(e.node);
    for (size_t i = all.size(); i-- > 0;)
        if (isAlive(all[i]))
            destroyNode(all[i]);
    mOrder.clear();
    mOrderDead = 0;
    mNamespaces.clear();
    mCurrentNamespace.clear();
    mNextNumber.clear();
    mHintScopes.clear();
    buildDefaultScene();
    const auto listeners = mResetListeners;
    for (const auto& l : listeners)
        l.second();
}

namespace {

struct CameraSetup {
    const char* name;
    double translate[3];
    double rotate[3]; // degrees
    bool orthographic;
};

const CameraSetup kCameras[] = {
    {"persp", {28.0, 21.0, 28.0}, {-27.938, 45.0, 0.0}, false},
    {"top", {0.0, 100.1, 0.0}, {-90.0, 0.0, 0.0}, true},
    {"front", {0.0, 0.0, 100.1}, {0.0, 0.0, 0.0}, true},
    {"side", {100.1, 0.0, 0.0}, {0.0, 90.0, 0.0}, true},
};

} // namespace

void NodeStore::buildDefaultScene()
{
    auto setNumber = [&](NodeId n, const char* attr, double v) {
        PlugKey k;
        k.attr = findAttribute(n, attr);
        if (k.attr)
            writeValue(n, k, Value::ofNumber(v));
    };
    static const char* const kTranslate[3] = {"translateX", "translateY", "translateZ"};
    static const char* const kRotate[3] = {"rotateX", "rotateY", "rotateZ"};
    for (const CameraSetup& c : kCameras) {
        const NodeId t = createNode("transform", c.name, mWorld);
        const NodeId s = createNode("camera", std::string(c.name) + "Shape", t);
        for (int i = 0; i < 3; ++i) {
            setNumber(t, kTranslate[i], c.translate[i]);
            setNumber(t, kRotate[i], c.rotate[i] * 0.017453292519943295);
        }
        setNumber(s, "orthographic", c.orthographic ? 1.0 : 0.0);
    }
    createNode("shaderList", "defaultShaderList1");
}

} // namespace vesk
