// Shared set-up of the stand-in host's tests: a fresh default scene per test
// and short ways to name objects, paths and plugs by text.
#ifndef QEL_TESTS_HOST_HOST_FIXTURE_H
#define QEL_TESTS_HOST_HOST_FIXTURE_H

#include <gtest/gtest.h>

#include <standin/StandIn.h>

#include <vesk/MAngle.h>
#include <vesk/MDagPath.h>
#include <vesk/MDistance.h>
#include <vesk/MTime.h>
#include <vesk/MObject.h>
#include <vesk/MPlug.h>
#include <vesk/MSelectionList.h>

#include "core/object_access.h"
#include "foundation/message_log.h"
#include "store/fixtures.h"
#include "store/node_store.h"

class HostTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        standin::resetHost();
        MTime::setUIUnit(MTime::kFilm);
        MAngle::setUIUnit(MAngle::kDegrees);
        MAngle::setInternalUnit(MAngle::kRadians);
        MDistance::setUIUnit(MDistance::kCentimeters);
    }
    // Every dialog must have had its reply, and every reply its dialog.
    void TearDown() override
    {
        EXPECT_EQ(standin::problems(), std::vector<std::string>());
        EXPECT_EQ(standin::pendingReplies(), 0u);
        standin::resetHost();
    }

public:
    // The object, path or plug a text names (null / empty when none).
    static MObject object(const char* text)
    {
        return vesk::ObjectAccess::fromNode(vesk::fixture::node(text));
    }
    static MDagPath path(const char* text)
    {
        MSelectionList list;
        MDagPath p;
        if (list.add(MString(text)))
            list.getDagPath(0, p);
        return p;
    }
    static MPlug plug(const char* text)
    {
        MSelectionList list;
        MPlug p;
        if (list.add(MString(text)))
            list.getPlug(0, p);
        return p;
    }
    // Makes a node (see vesk::fixture::make) and returns its handle.
    static MObject make(const char* type, const char* name, const char* parent = "")
    {
        return vesk::ObjectAccess::fromNode(vesk::fixture::make(type, name, parent));
    }
    static std::string nameOf(const MObject& o) { return vesk::store().name(vesk::ObjectAccess::node(o)); }
};

#endif
