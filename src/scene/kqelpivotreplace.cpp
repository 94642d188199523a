#include "scene/kqelpivotreplace.h"

#include <cstring>
#include <vector>

#include "curves/kfcurve.h"
#include "scene/kqelsdkmanager.h"
#include "scene/kqeltakenode.h"

// Both walks change child lists while they go. Removing a child from the
// middle of a long list costs the length of the list, so a list that loses
// many children is rebuilt once, after its children were walked: its tail,
// from the first child that leaves, is taken off from the end and put back
// in the order the one-by-one changes would have given. Nothing a walk reads
// depends on where a node sits in its parent's list, so the result is the
// same as changing the lists at once.

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

// Takes pOwner's children from index pFirst on off the list and returns
// them in order.
std::vector<KQelNode*> TakeTail(KQelNode& pOwner, int pFirst)
{
    const int count = pOwner.GetChildCount();
    std::vector<KQelNode*> tail(static_cast<std::size_t>(count > pFirst ? count - pFirst : 0));
    for (std::size_t i = tail.size(); i-- > 0;)
        tail[i] = pOwner.RemoveChild(pOwner.GetChild(pFirst + static_cast<int>(i)));
    return tail;
}

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
        (void)pNode;
        (void)pAdded;
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
                        target->SetValue(static_cast<float>(translation[axis]));
                    if (KFCurve* rotation = Curve(pTo, 3 + axis))
                        rotation->SetValue(static_cast<float>(preRotation[axis]));
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

    // The replaced children leave the list, the others keep their order, and
    // the "__Pre_" nodes, each holding its node, follow them.
    void Rebuild(Frame& pFrame)
    {
        if (pFrame.mReplaced.empty())
            return;
        KQelNode& owner = *pFrame.mOwner;
        const int first = pFrame.mReplaced.front().mIndex;
        std::vector<KQelNode*> tail = TakeTail(owner, first);
        std::size_t next = 0;
        for (std::size_t i = 0; i < tail.size(); ++i) {
            if (next < pFrame.mReplaced.size() && pFrame.mReplaced[next].mIndex == first + static_cast<int>(i))
                ++next;
            else
                owner.AddChild(tail[i]);
        }
        for (const Replaced& replaced : pFrame.mReplaced) {
            owner.AddChild(replaced.mPre);
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

    // The markers leave the list, the others keep their order, and the
    // folded nodes follow them in the order they were folded.
    void Rebuild(Frame& pFrame)
    {
        if (pFrame.mFolded.empty())
            return;
        KQelNode& owner = *pFrame.mOwner;
        const int first = pFrame.mFolded.back().mIndex;
        std::vector<KQelNode*> tail = TakeTail(owner, first);
        std::size_t next = pFrame.mFolded.size();
        for (std::size_t i = 0; i < tail.size(); ++i) {
            if (next > 0 && pFrame.mFolded[next - 1].mIndex == first + static_cast<int>(i))
                --next;
            else
                owner.AddChild(tail[i]);
        }
        for (const Folded& folded : pFrame.mFolded)
            owner.AddChild(folded.mNode);
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
