// User properties: which dynamic attributes become properties, with which
// types, defaults and limits.
#include <gtest/gtest.h>

#include <cmath>
#include <sstream>

#include <vesk/MFnCompoundAttribute.h>
#include <vesk/MFnEnumAttribute.h>
#include <vesk/MFnNumericAttribute.h>
#include <vesk/MFnTypedAttribute.h>

#include "content/kqelcolor.h"
#include "export/export_fixture.h"
#include "scene/kqeluserproperty.h"

using namespace qelsdk_600;

namespace {

MObject Numeric(const char* pLong, const char* pShort, MFnNumericData::Type pType)
{
    return MFnNumericAttribute().create(pLong, pShort, pType);
}

// "name type label = default [min max]" of each user property of a node.
std::vector<std::string> Describe(KQelNode* pNode)
{
    std::vector<std::string> lines;
    for (int i = 0; i < pNode->GetPropertyCount(); ++i) {
        KQelUserProperty* p = pNode->GetProperty(i);
        if (!p->GetFlag(KQelUserProperty::eUserProperty))
            continue;
        std::ostringstream line;
        const KQelUserProperty::EUserPropertyType type = p->GetPropertyType();
        line << p->GetName().Buffer() << " " << KQelUserProperty::GetPropertyTypeName(type) << " "
             << p->GetLabel().Buffer() << (p->GetFlag(KQelUserProperty::eAnimatable) ? " animatable" : "") << " =";
        if (type == KQelUserProperty::eColor) {
            KQelColor c;
            p->GetDefaultValue(c);
            line << " " << c.mRed << " " << c.mGreen << " " << c.mBlue << " " << c.mAlpha;
        } else if (type == KQelUserProperty::eVector) {
            double x = 0, y = 0, z = 0;
            p->GetDefaultValue(x, y, z);
            line << " " << x << " " << y << " " << z;
        } else {
            double value = 0;
            p->GetDefaultValue(value);
            line << " " << value;
        }
        if (std::isfinite(p->GetMinLimit()) || std::isfinite(p->GetMaxLimit()))
            line << " [" << p->GetMinLimit() << " " << p->GetMaxLimit() << "]";
        lines.push_back(line.str());
    }
    return lines;
}

}  // namespace

TEST_F(ExportTest, DynamicAttributesBecomeTypedUserProperties)
{
    make("transform", "t");
    MFnDependencyNode node(object("t"));
    MFnNumericAttribute soft(Numeric("softFloat", "sf", MFnNumericData::kFloat));
    soft.setSoftMin(0.0);
    soft.setSoftMax(10.0);
    MFnNumericAttribute hard(Numeric("hardDouble", "hd", MFnNumericData::kDouble));
    hard.setMin(-5.0);
    hard.setMax(5.0);
    MFnCompoundAttribute pair;
    pair.create("pair", "pr");
    pair.addChild(Numeric("pairA", "pa", MFnNumericData::kDouble));
    pair.addChild(Numeric("pairB", "pb", MFnNumericData::kLong));
    const MObject attributes[] = {
        Numeric("flag", "fl", MFnNumericData::kBoolean),
        soft.object(),
        hard.object(),
        Numeric("count", "ct", MFnNumericData::kLong),
        Numeric("small", "sm", MFnNumericData::kShort),
        Numeric("tiny", "tb", MFnNumericData::kByte),
        MFnNumericAttribute().createColor("tint", "tn"),
        Numeric("offset", "of", MFnNumericData::k3Double),
        Numeric("miSkipped", "mis", MFnNumericData::kDouble),
        Numeric("mikept", "mik", MFnNumericData::kDouble),
        MFnEnumAttribute().create("mode", "md"),
        MFnTypedAttribute().create("note", "nt", MFnData::kString),
        pair.object(),
        Numeric("uv", "uv", MFnNumericData::k2Double),
    };
    for (const MObject& attribute : attributes)
        ASSERT_TRUE(node.addAttribute(attribute)) << MFnAttribute(attribute).name().asChar();
    const struct {
        const char* plug;
        double value;
    } values[] = {{"t.fl", 1}, {"t.sf", 2.5}, {"t.hd", -1}, {"t.ct", 7}, {"t.sm", -3}, {"t.tb", -56},
                  {"t.tnR", 0.5}, {"t.tnG", 0.25}, {"t.tnB", 1}, {"t.ofX", 1}, {"t.ofY", 2}, {"t.ofZ", 3},
                  {"t.mik", 4}, {"t.pa", 0.5}, {"t.pb", 9}, {"t.uvX", 0.125}};
    for (const auto& v : values)
        ASSERT_TRUE(vesk::fixture::setNumber(v.plug, v.value)) << v.plug;

    ASSERT_TRUE(ExportAndRead());
    EXPECT_EQ(Describe(Node("t")), (std::vector<std::string>{
                                       "fl Bool fl animatable = 1",
                                       "sf Real sf animatable = 2.5 [0 10]",
                                       "hd Real hd animatable = -1",
                                       "ct Integer ct animatable = 7",
                                       "sm Integer sm animatable = -3",
                                       "tb Integer tb animatable = -56",
                                       "tn Color tn animatable = 0.5 0.25 1 1",
                                       "of Vector of animatable = 1 2 3",
                                       "mik Real mik animatable = 4",
                                       "pa Real pa animatable = 0.5",
                                       "pb Integer pb animatable = 9",
                                       "uvX Real uvX animatable = 0.125",
                                       "uvY Real uvY animatable = 0",
                                   }));
}
