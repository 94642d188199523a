#include "scene/kqelpivotreplace.h"

#include <cstring>
#include <vector>

#include "curves/kfcurve.h"
#include "object/kpropertytemplate.h"
#include "scene/kqelentity.h"
#include "scene/kqelsdkmanager.h"
#include "scene/kqelskeleton.h"
#include "scene/kqeltakenode.h"

// Both walks change child lists while they go: a child leaves its place and
// another node is appended. Nothing a walk reads depends on where a node sits
// in its parent's list, so each list's changes wait until its children were
// walked and are then made at once (RemovePlaces), which gives the same list
// as making them one by one.

namespace qelsdk_600 {

namespace {

const char* const kPreMarker = "__Pre_";
const char* const kPostMarker = "__Post_";
const char* const kNamePart = "ncl";

const KQelNode::EPivotSet kSource = KQelNode::eSourcePivot;

bool NameHas(const KQelNode* pNode, const char* pMarker)
{
    const char* name = pNode ? pNode->GetName() : nullptr;
    return name && std::strstr(name, pMarker);
}

// Translation X, Y, Z are channels 0 to 2, Euler rotation X, Y, Z 3 to 5.
KFCurve* Curve(KQelTakeNode& pTake, int pChannel)
{
    return pTake.GetChannel(static_cast<KQelTakeNode::EChannel>(KQelTakeNode::eTranslationX + pChannel));
}

// The node's take named pName, made (from its Default take) when missing.
KQelTakeNode* TakeNamed(KQelNode& pNode, const char* pName)
{
    for (int i = 0; i < pNode.GetTakeNodeCount(); ++i) {
        KQelTakeNode* take = pNode.GetTakeNode(i);
        if (take && std::strcmp(take->GetName(), pName) == 0)
            return take;
    }
    return pNode.CreateTakeNode(pName);
}

// Copies pFrom's translation curves, keys and defaults, into the take of
// the same name of pTo, take by take. Calls pThen(from take, to take) after
// each pair.
template <class Then>
void CopyTranslationTakes(KQelNode& pFrom, KQelNode& pTo, Then pThen)
{
    for (int i = 0; i < pFrom.GetTakeNodeCount(); ++i) {
        KQelTakeNode* from = pFrom.GetTakeNode(i);
        KQelTakeNode* to = from ? TakeNamed(pTo, from->GetName()) : nullptr;
        if (!to)
            continue;
        for (int axis = 0; axis < 3; ++axis) {
            KFCurve* source = Curve(*from, axis);
            KFCurve* target = Curve(*to, axis);
            if (source && target)
                target->CopyFrom(*source, true);
        }
        pThen(*from, *to);
    }
}

// pFrom's children, in order, become pTo's last children. Taken off from
// the end, where a removal costs nothing.
void MoveChildren(KQelNode& pFrom, KQelNode& pTo)
{
    std::vector<KQelNode*> children(static_cast<std::size_t>(pFrom.GetChildCount()));
    for (std::size_t i = children.size(); i-- > 0;)
        children[i] = pFrom.RemoveChild(pFrom.GetChild(static_cast<int>(i)));
    for (KQelNode* child : children)
        pTo.AddChild(child);
}

// Takes the children at pPlaces (rising) out of pOwner's list, the others
// keeping their order. Removing a child costs the length of the list after
// it, and moving a child out and back costs the size of its subtree (in a
// scene it leaves and joins the scene's store): a few children are removed
// one by one, from the last; for many, the list's tail from the first place
// on is taken off from the end and the others are put back.
void RemovePlaces(KQelNode& pOwner, const std::vector<int>& pPlaces)
{
    const std::size_t kFew = 64;
    if (pPlaces.empty())
        return;
    if (pPlaces.size() <= kFew) {
        for (std::size_t i = pPlaces.size(); i-- > 0;)
            pOwner.RemoveChild(pOwner.GetChild(pPlaces[i]));
        return;
    }
    const int first = pPlaces.front();
    const int count = pOwner.GetChildCount();
    std::vector<KQelNode*> tail(static_cast<std::size_t>(count > first ? count - first : 0));
    for (std::size_t i = tail.size(); i-- > 0;)
        tail[i] = pOwner.RemoveChild(pOwner.GetChild(first + static_cast<int>(i)));
    std::size_t next = 0;
    for (std::size_t i = 0; i < tail.size(); ++i) {
        if (next < pPlaces.size() && pPlaces[next] == first + static_cast<int>(i))
            ++next;
        else
            pOwner.AddChild(tail[i]);
    }
}

// In a scene every move of a child takes its subtree out of the scene's
// store and puts it back, at the cost of the subtree's size. While a walk
// runs, the subtrees below its top node are kept out of the store; at the
// end each child of the top node joins the top node's store again, which
// leaves every node in its parent's store as the moves one by one would.
class StoreAside {
public:
    explicit StoreAside(KQelNode& pTop) : mTop(pTop), mAside(pTop.GetEntity() != nullptr)
    {
        for (int i = 0; mAside && i < pTop.GetChildCount(); ++i)
            pTop.GetChild(i)->SetEntity(nullptr, false);
    }
    ~StoreAside()
    {
        KQelEntity* entity = mTop.GetEntity();
        for (int i = 0; mAside && entity && i < mTop.GetChildCount(); ++i)
            mTop.GetChild(i)->SetEntity(entity, false);
    }
    StoreAside(const StoreAside&) = delete;
    StoreAside& operator=(const StoreAside&) = delete;

private:
    KQelNode& mTop;
    bool mAside;
};

// ---- Export ----

class PivotExport {
public:
    explicit PivotExport(KQelSdkManager& pManager) : mManager(pManager) {}

    bool Run(KQelNode& pTop)
    {
        bool rewritten = false;
        if (KQelNode* pre = Rewrite(pTop, rewritten)) {
            if (KQelNode* parent = pTop.GetParent()) {
                parent->RemoveChild(&pTop);
                parent->AddChild(pre);
            }
            pre->AddChild(&pTop);
        }
        // The lists below pTop; each is walked once, in order, depth first.
        const StoreAside aside(pTop);
        std::vector<Frame> stack;
        stack.push_back(Frame(pTop));
        while (!stack.empty()) {
            Frame& frame = stack.back();
            if (frame.mNext >= frame.mCount) {
                Rebuild(frame);
                stack.pop_back();
                continue;
            }
            const int index = frame.mNext++;
            KQelNode* child = frame.mOwner->GetChild(index);
            if (!child)
                continue;
            bool unused = false;
            if (KQelNode* pre = Rewrite(*child, unused))
                frame.mReplaced.push_back(Replaced{index, child, pre});
            stack.push_back(Frame(*child));
        }
        return rewritten;
    }

private:
    // A child that leaves its place for its "__Pre_" node.
    struct Replaced {
        int mIndex;
        KQelNode* mNode;
        KQelNode* mPre;
    };
    // One child list being walked; it does not change until its rebuild.
    struct Frame {
        explicit Frame(KQelNode& pOwner) : mOwner(&pOwner), mNext(0), mCount(pOwner.GetChildCount()) {}
        KQelNode* mOwner;
        int mNext;
        int mCount;
        std::vector<Replaced> mReplaced;
    };

    // The added node for pNode with its marker, and its attribute.
    KQelNode* CreateAdded(KQelNode& pNode, const char* pMarker)
    {
        const KString name(pNode.GetName());
        const int p = name.Find(kNamePart);
        const KString addedName = p > 0 ? KString(pNode.GetInitialName()) + pMarker + name.Right(static_cast<unsigned int>(p))
                                        : name + pMarker;
        KQelNode* added = mManager.CreateKQelNode(addedName.Buffer());
        if (added)
            GiveAttribute(pNode, *added);
        return added;
    }

    // A skeleton node's added nodes are limb nodes of its size.
    void GiveAttribute(KQelNode& pNode, KQelNode& pAdded)
    {
        KQelSkeleton* skeleton = pNode.GetSkeleton();
        KQelSkeleton* limb = skeleton ? mManager.CreateKQelSkeleton() : nullptr;
        if (!limb)
            return;
        limb->SetSkeletonType(KQelSkeleton::eLimbNode);
        limb->SetLimbNodeSize(skeleton->GetLimbNodeSize());
        pAdded.SetNodeAttribute(limb);
    }

    // The node's own rewrite: its "__Pre_" node made and given the node's
    // translation (returned, to be put in its place by the caller), and its
    // post-rotation moved to a new "__Post_" child. pRewritten is set when
    // either happened.
    KQelNode* Rewrite(KQelNode& pNode, bool& pRewritten)
    {
        const KQelVector4 zero;
        const KQelVector4 preRotation = pNode.GetPreRotation(kSource);
        const KQelVector4 postRotation = pNode.GetPostRotation(kSource);
        KQelNode* pre = preRotation != zero ? CreateAdded(pNode, kPreMarker) : nullptr;
        if (pre) {
            KQelVector4 translation;
            pNode.GetDefaultT(translation);
            pre->SetDefaultR(preRotation);
            pre->SetDefaultT(translation);
            pNode.SetDefaultT(zero);
            pNode.SetPreRotation(kSource, zero);
            CopyTranslationTakes(pNode, *pre, [&](KQelTakeNode& pFrom, KQelTakeNode& pTo) {
                for (int axis = 0; axis < 3; ++axis) {
                    KFCurve* moved = Curve(pFrom, axis);
                    KFCurve* target = Curve(pTo, axis);
                    // Keys only leave a curve that has somewhere to go.
                    if (moved && target) {
                        moved->KeyClear();
                        moved->SetValue(0.0f);
                    }
                    if (target)
                        target->SetValue(detail::SaturateToFloat(translation[axis]));
                    if (KFCurve* rotation = Curve(pTo, 3 + axis))
                        rotation->SetValue(detail::SaturateToFloat(preRotation[axis]));
                }
            });
            pRewritten = true;
        }
        if (postRotation != zero) {
            if (KQelNode* post = CreateAdded(pNode, kPostMarker)) {
                MoveChildren(pNode, *post);
                pNode.AddChild(post);
                post->SetDefaultR(postRotation);
                pNode.SetPostRotation(kSource, zero);
                pRewritten = true;
            }
        }
        return pre;
    }

    // The replaced children leave the list, and their "__Pre_" nodes, each
    // holding its node, follow the others.
    void Rebuild(Frame& pFrame)
    {
        std::vector<int> places;
        for (const Replaced& replaced : pFrame.mReplaced)
            places.push_back(replaced.mIndex);
        RemovePlaces(*pFrame.mOwner, places);
        for (const Replaced& replaced : pFrame.mReplaced) {
            pFrame.mOwner->AddChild(replaced.mPre);
            replaced.mPre->AddChild(replaced.mNode);
        }
    }

    KQelSdkManager& mManager;
};

// ---- Import ----

class PivotImport {
public:
    void Run(KQelNode& pTop)
    {
        const StoreAside aside(pTop);
        mStack.push_back(Frame(pTop));
        while (!mStack.empty()) {
            if (mStack.back().mNext < 0) {
                Rebuild(mStack.back());
                mStack.pop_back();
                continue;
            }
            const std::size_t frame = mStack.size() - 1;
            const int index = mStack[frame].mNext--;
            KQelNode* node = mStack[frame].mOwner->GetChild(index);
            if (!node)
                continue;
            // A marker stands for its first child, when it has one.
            if (NameHas(node, kPostMarker) && node->GetChild(0))
                node = node->GetChild(0);
            if (NameHas(node, kPreMarker) && node->GetChild(0))
                node = node->GetChild(0);

            const bool foldedPre = FoldPre(frame, index, *node);
            KQelNode* post = node->GetChild(0);
            const bool foldedPost = NameHas(post, kPostMarker);
            if (foldedPost) {
                KQelVector4 rotation;
                post->GetDefaultR(rotation);
                node->SetPostRotation(kSource, rotation);
                node->RemoveChild(post);
                MoveChildren(*post, *node);
            }
            if (!foldedPre && !foldedPost) {
                node->SetPivotState(KQelNode::eSourcePivot, KQelNode::ePivotActive);
                node->SetPivotState(KQelNode::eDestinationPivot, KQelNode::ePivotActive);
            }
            mStack.push_back(Frame(*node));
        }
    }

private:
    // A node that leaves its "__Pre_" marker, the marker sitting at mIndex
    // of the frame's list.
    struct Folded {
        int mIndex;
        KQelNode* mMarker;
        KQelNode* mNode;
    };
    // One child list being walked from its last child to its first. Only
    // the places before mNext are read again, and no change before the
    // rebuild touches them.
    struct Frame {
        explicit Frame(KQelNode& pOwner) : mOwner(&pOwner), mNext(pOwner.GetChildCount() - 1) {}
        KQelNode* mOwner;
        int mNext;
        std::vector<Folded> mFolded;  // by falling index
    };

    // When pNode's parent is a "__Pre_" marker with a parent: the marker's
    // values and translation animation go to pNode, pNode takes the last
    // place in the marker's parent's list and the marker leaves it.
    bool FoldPre(std::size_t pFrame, int pIndex, KQelNode& pNode)
    {
        KQelNode* marker = pNode.GetParent();
        KQelNode* parent = marker ? marker->GetParent() : nullptr;
        if (!parent || !NameHas(marker, kPreMarker))
            return false;
        KQelVector4 translation;
        marker->GetDefaultT(translation);
        pNode.SetDefaultT(translation);
        KQelVector4 rotation;
        marker->GetDefaultR(rotation);
        pNode.SetPreRotation(kSource, rotation);
        CopyTranslationTakes(*marker, pNode, [](KQelTakeNode&, KQelTakeNode&) {});

        // The marker sits in the walked list (the parent is the frame's
        // owner): its list waits for the rebuild. A "__Pre_" node would read
        // its parent when its own children are walked, so it moves at once.
        if (parent == mStack[pFrame].mOwner && !NameHas(&pNode, kPreMarker)) {
            marker->RemoveChild(&pNode);
            mStack[pFrame].mFolded.push_back(Folded{pIndex, marker, &pNode});
            return true;
        }
        Flush(marker);
        Flush(parent);
        marker->RemoveChild(&pNode);
        parent->AddChild(&pNode);
        parent->RemoveChild(marker);
        return true;
    }

    // Brings the list of pOwner, when it is being walked, up to date.
    void Flush(KQelNode* pOwner)
    {
        for (std::size_t i = mStack.size(); i-- > 0;) {
            if (mStack[i].mOwner == pOwner) {
                Rebuild(mStack[i]);
                return;
            }
        }
    }

    // The markers leave the list, and the folded nodes follow the others in
    // the order they were folded.
    void Rebuild(Frame& pFrame)
    {
        std::vector<int> places;
        for (std::size_t i = pFrame.mFolded.size(); i-- > 0;)
            places.push_back(pFrame.mFolded[i].mIndex);
        RemovePlaces(*pFrame.mOwner, places);
        for (const Folded& folded : pFrame.mFolded)
            pFrame.mOwner->AddChild(folded.mNode);
        pFrame.mFolded.clear();
    }

    std::vector<Frame> mStack;
};

}  // namespace

bool ReplacePivotExport(KQelNode* pNode, KQelNode::EPivotSet pSet, KQelSdkManager& pManager)
{
    (void)pSet;
    if (!pNode)
        return false;
    PivotExport walk(pManager);
    return walk.Run(*pNode);
}

void ReplacePivotImport(KQelNode* pNode, KQelNode::EPivotSet pSet, KQelSdkManager& pManager)
{
    (void)pSet;
    (void)pManager;
    if (!pNode)
        return;
    PivotImport walk;
    walk.Run(*pNode);
}

}  // namespace qelsdk_600
