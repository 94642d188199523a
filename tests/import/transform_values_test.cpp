// Static transform values: what the host transform receives and the global
// values stored on each node, walked parents first by the animation pass.
#include "import_fixture.h"

using namespace qelsdk_600;

namespace {

struct Vector3 {
    double x, y, z;
};

TEST_F(ImportTest, StaticValuesReachTheHostAndComposeWithTheParentsGlobalValues)
{
    const struct {
        const char* name;
        Vector3 t, r, s;
        ERotationOrder order;
        const char* hostRotation;  // the host's rotateX, rotateY, rotateOrder
        std::vector<double> globalT, globalR, globalS;
    } cases[] = {
        {"Turned", {0, 0, 0}, {30, 0, 0}, {1, 1, 1}, eEulerXYZ, "0.5235987755982988 0 1", {0, 0, 0}, {30, 0, 0},
         {1, 1, 1}},
        {"Mirrored", {0, 0, 0}, {0, 0, 0}, {1, 1, -1}, eEulerXYZ, "0 0 1", {0, 0, 0}, {0, 0, 180}, {-1, -1, -1}},
        {"Spheric", {0, 0, 0}, {0, 45, 0}, {1, 1, 1}, eSphericXYZ, "0 0 1", {0, 0, 0}, {0, 45, 0}, {1, 1, 1}},
        // A flattened axis is not divided: the turn only it carried is lost,
        // and nothing is NaN.
        {"Flat", {0, 0, 0}, {0, 0, 90}, {0, 1, 1}, eEulerXZY, "0 0 4", {0, 0, 0}, {0, 0, 0}, {0, 1, 1}},
        // Under a parent scaled by 2 and moved by (0, 10, 0).
        {"Child", {1, 0, 0}, {0, 0, 0}, {1, 1, 1}, eEulerXYZ, "0 0 1", {2, 10, 0}, {0, 0, 0}, {2, 2, 2}},
    };
    // The unbound node above is passed over; its children are not.
    QelVeskNode* above = node("Above");
    QelVeskNode* parent = node("Parent", above);
    parent->SetDefaultT(KQelVector4(0, 10, 0, 0));
    parent->SetDefaultS(KQelVector4(2, 2, 2, 0));
    mImport->CreateNullGeometry(parent);
    for (const auto& c : cases) {
        QelVeskNode* made = node(c.name, std::string(c.name) == "Child" ? parent : above);
        made->SetDefaultT(KQelVector4(c.t.x, c.t.y, c.t.z, 0));
        made->SetDefaultR(KQelVector4(c.r.x, c.r.y, c.r.z, 0));
        made->SetDefaultS(KQelVector4(c.s.x, c.s.y, c.s.z, 0));
        made->SetRotationOrder(KQelNode::eDestinationPivot, c.order);
        mImport->CreateNullGeometry(made);
    }
    ASSERT_EQ(mImport->ImportAnimation(*above), MStatus::kSuccess);
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        QelVeskNode* made = static_cast<QelVeskNode*>(above->FindChild(c.name));
        ASSERT_NE(made, nullptr);
        EXPECT_EQ(rounded(made->GetGlobalTranslation()), c.globalT);
        std::vector<double> rotation = rounded(made->GetGlobalRotation());
        if (rotation[2] == -180.0)
            rotation[2] = 180.0;
        EXPECT_EQ(rotation, c.globalR);
        EXPECT_EQ(rounded(made->GetGlobalScaling()), c.globalS);
        const std::string path = std::string(c.name) == "Child" ? "|Parent|Child" : std::string("|") + c.name;
        std::string host;
        for (const std::string& line : dumpLines("^attr \"" + std::regex_replace(path, std::regex("\\|"), "\\|") +
                                                 "\" (rotateX|rotateY|rotateOrder) "))
            host += (host.empty() ? "" : " ") + line.substr(line.rfind(' ') + 1);
        EXPECT_EQ(host, c.hostRotation);
    }
}

}  // namespace
