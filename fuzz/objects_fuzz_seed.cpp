// Writes the seed corpus of objects_fuzz with the real writers: curves with
// every key kind, a curve node tree with layers and a time warp, property
// blocks in both layouts and embedded media, in each form of the file.
#include <cstdio>
#include <memory>
#include <string>

#include "base/kset.h"
#include "curves/kfcurve.h"
#include "curves/kfcurvenode.h"
#include "curves/kfcurvesettings.h"
#include "file/iqelobject.h"
#include "math/kgevector.h"
#include "object/kdatatype.h"
#include "object/kobject.h"
#include "object/kproperty.h"
#include "objects_fuzz_tree.h"

using namespace qelsdk_600;

namespace {

KTime Sec(double seconds)
{
    return KTime(static_cast<kLongLong>(seconds * static_cast<double>(KTime::kTicksPerSecond)));
}

// One key of each kind the writer knows, weights and extrapolation included.
KFCurve* EveryKeyKind()
{
    KFCurve* curve = KFCurveCreate();
    curve->SetValue(2.5f);
    const struct {
        kUInt interpolation, mode;
        float right, nextLeft;
        kUInt weights;
    } keys[] = {
        {kFCurveInterpolationConstant, 0, 0.0f, 0.0f, 0},
        {kFCurveInterpolationLinear, 0, 0.0f, 0.0f, 0},
        {kFCurveInterpolationCubic, kFCurveTangentTCB, 0.0f, 0.0f, 0},
        {kFCurveInterpolationCubic, kFCurveTangentUser, 1.5f, -0.5f, kFCurveWeightedRight},
        {kFCurveInterpolationCubic, kFCurveTangentUserBreak, -2.0f, 3.0f, kFCurveWeightedMask},
        {kFCurveInterpolationCubic, kFCurveTangentAuto, 0.0f, 0.0f, 0},
        {kFCurveInterpolationCubic, kFCurveTangentAuto, 0.75f, 0.25f, kFCurveWeightedNextLeft},
        {kFCurveInterpolationCubic, kFCurveTangentAutoBreak, 1.0f, 2.0f, 0},
        {kFCurveInterpolationConstant, 0, 0.0f, 0.0f, 0},
        {kFCurveInterpolationCubic, 0, 0.0f, 0.0f, 0},
    };
    int i = 0;
    for (const auto& k : keys) {
        const int index = curve->KeyAppendFast(Sec(0.5 * i), static_cast<float>(i * i) - 3.0f);
        curve->KeySet(index, Sec(0.5 * i), static_cast<float>(i * i) - 3.0f, k.interpolation, k.mode, k.right,
                      k.nextLeft, k.weights, 0.25f, 0.5f);
        ++i;
    }
    curve->KeySetConstantMode(8, kFCurveConstantNext);
    curve->KeySetTCB(2, Sec(1.0), 1.0f, 0.5f, -0.25f, 0.125f);
    curve->SetPreExtrapolation(kFCurveExtrapolationMirrorRepetition);
    curve->SetPreExtrapolationCount(3);
    curve->SetPostExtrapolation(kFCurveExtrapolationKeepSlope);
    const float color[3] = {0.1f, 0.2f, 0.3f};
    curve->SetColor(color);
    return curve;
}

// Keys of the older versions, which only old files hold: letters the
// current writer never emits.
void WriteOldCurve(IQelObject& q, int version)
{
    q.FieldWriteBegin("Default");
    q.FieldWriteD(1.0);
    q.FieldWriteEnd();
    q.FieldWriteBegin("KeyVer");
    q.FieldWriteI(version);
    q.FieldWriteEnd();
    q.FieldWriteBegin("KeyCount");
    q.FieldWriteI(6);
    q.FieldWriteEnd();
    q.FieldWriteBegin("Key");
    q.FieldWriteT(Sec(0));
    q.FieldWriteD(0.0);
    q.FieldWriteCH('T');
    q.FieldWriteD(0.5);
    q.FieldWriteD(0.0);
    q.FieldWriteD(-0.5);
    q.FieldWriteT(Sec(1));
    q.FieldWriteD(1.0);
    q.FieldWriteCH('B');
    q.FieldWriteCH('b');
    q.FieldWriteD(0.25);
    q.FieldWriteD(0.75);
    q.FieldWriteT(Sec(2));
    q.FieldWriteD(2.0);
    q.FieldWriteCH('U');
    q.FieldWriteCH('a');
    q.FieldWriteD(0.0);
    q.FieldWriteT(Sec(3));
    q.FieldWriteD(-1.0);
    q.FieldWriteCH('H');
    q.FieldWriteCH('s');
    q.FieldWriteD(1.0);
    q.FieldWriteT(Sec(4));
    q.FieldWriteD(3.0);
    q.FieldWriteCH('L');
    q.FieldWriteT(Sec(5));
    q.FieldWriteD(3.0);
    q.FieldWriteCH('C');
    q.FieldWriteEnd();
}

void WriteCurves(IQelObject& q)
{
    q.FieldWriteBegin("Curves");
    q.FieldWriteBlockBegin();
    KFCurve* curve = EveryKeyKind();
    for (bool older : {false, true}) {
        q.FieldWriteBegin("Curve");
        q.FieldWriteBlockBegin();
        curve->QelStore(&q, false, true, older);
        curve->QelStore(&q, false, false, older);
        q.FieldWriteBlockEnd();
        q.FieldWriteEnd();
    }
    curve->Destroy();
    for (int version : {3999, 4000, 4002}) {
        q.FieldWriteBegin("Curve");
        q.FieldWriteBlockBegin();
        WriteOldCurve(q, version);
        q.FieldWriteBlockEnd();
        q.FieldWriteEnd();
    }
    q.FieldWriteBlockEnd();
    q.FieldWriteEnd();
}

KFCurveNode* Tree(KFCurveNode* warp)
{
    KFCurveNode* root = TransformTemplateTree();
    KFCurve* x = root->Get(0)->Get(0)->FCurveGet();
    for (int i = 0; i < 3; ++i) {
        const int index = x->KeyAppendFast(Sec(i), static_cast<float>(i));
        x->KeySet(index, Sec(i), static_cast<float>(i), kFCurveInterpolationCubic, kFCurveTangentAuto);
    }
    root->Get(0)->CreateLayerAt(2);
    root->Get(0)->LayerGet(2)->Get(1)->FCurveGet()->SetValue(7.0f);
    root->Get(1)->CreateLayerAt(1);
    root->Get(1)->TimeWarpSet(warp);
    // A channel of a name no template has, so that reading creates it.
    KFCurveNode* extra = KFCurveNodeCreate("Custom (2)");
    extra->FCurveSet(KFCurveCreate());
    root->Add(extra);
    return root;
}

void WriteTakes(IQelObject& q)
{
    KFCurveNode* warp = KFCurveNodeCreate("warp", KDataTypeTimeWarp::DataType);
    warp->FCurveSet(KFCurveCreate());
    // Warps live while a node refers to them: this one outlasts the tree.
    KFCurveNode* keeper = KFCurveNodeCreate("keeper");
    keeper->TimeWarpSet(warp);
    KSet timeWarps;
    timeWarps.Add(12, reinterpret_cast<kReference>(warp));
    KFCurve_SetTWSet(&timeWarps);
    KFCurveNode* root = Tree(warp);
    for (int take = 0; take < 2; ++take) {
        q.FieldWriteBegin("Take");
        q.FieldWriteC("Take 001");
        q.FieldWriteBlockBegin();
        for (int i = 0; i < root->GetCount(); ++i)
            root->Get(i)->QelStore(&q, false, take == 0, take == 1, "Channel", true, take == 1);
        q.FieldWriteBlockEnd();
        q.FieldWriteEnd();
    }
    root->Destroy();
    KFCurve_SetTWSet(nullptr);
    keeper->Destroy();
}

void WriteProperties(IQelObject& q)
{
    for (bool older : {false, true}) {
        KObject object;
        KArrayTemplate<KProperty*> list;
        auto make = [&](const char* name, kPropertyType type) {
            KProperty* p = object.CreatePropertyFromType(name, type, nullptr, false, false, nullptr);
            list.Add(p);
            return p;
        };
        int count = -12;
        double size = 0.3;
        KgeTVector translation(1.5, -2.25, 3.0);
        const char* path = "C:\\media\\wood.png";
        KTime start(46186158000LL);
        make("Count", kPropertyInt)->SetData(&count);
        make("Size", kPropertyDouble)->SetData(&size);
        make("Lcl Translation", kPropertyVector3D)->SetData(&translation);
        make("Path", kPropertyCharPtr)->SetData(&path);
        make("Start", kPropertyTime)->SetData(&start);
        make("Visibility", kPropertyBool);
        KProperty* color = make("My Color", kPropertyColorRGB);
        color->GetPropertyInfo().ModifyFlag(KPropertyInfo::kUserProperty, true);
        color->SetPropertyLabel("My colour");
        KProperty* choice = make("Choice", kPropertyEnum);
        choice->GetPropertyInfo().ModifyFlag(KPropertyInfo::kUserProperty, true);
        choice->AddEnumValue("Low");
        choice->AddEnumValue("High");
        KProperty* weight = make("Weight", kPropertyDouble);
        weight->GetPropertyInfo().ModifyFlag(KPropertyInfo::kUserProperty, true);
        weight->SetPropertyMinMax(0.0, 10.0);
        KProperty* plane = make("Plane", kPropertyVector4D);
        plane->GetPropertyInfo().ModifyFlag(KPropertyInfo::kUserProperty, true);
        q.FieldWriteBegin("Object");
        q.FieldWriteC("Model::Cube");
        q.FieldWriteBlockBegin();
        q.SetIsBeforeVersion6(older);
        q.FieldWritePropertiesList(list);
        q.SetIsBeforeVersion6(false);
        q.FieldWriteBlockEnd();
        q.FieldWriteEnd();
    }
}

void WriteMedia(IQelObject& q, bool binary, const std::string& source)
{
    for (const char* name : {"wood.png", "../up/wood.png"}) {
        q.FieldWriteBegin("Media");
        q.FieldWriteC(name);
        if (binary)
            q.FieldWriteEmbeddedFile(KString(source.c_str()), KString(""));
        else
            q.FieldWriteR("\x89PNG\r\n\x1a\n", 8);
        q.FieldWriteEnd();
    }
}

}  // namespace

int main(int argc, char** argv)
{
    const std::string dir = argc > 1 ? argv[1] : ".";
    const std::string source = dir + "/../objects_seed_media.bin";
    if (std::FILE* f = std::fopen(source.c_str(), "wb")) {
        for (int i = 0; i < 300; ++i)
            std::fputc((i * 37) & 0xff, f);
        std::fclose(f);
    }
    const struct {
        const char* name;
        bool binary, encrypted, password;
    } seeds[] = {
        {"objects_text.qel", false, false, false},
        {"objects_binary.qel", true, false, false},
        {"objects_enciphered.qel", true, true, false},
        {"objects_password.qel", true, true, true},
    };
    int status = 0;
    for (const auto& s : seeds) {
        std::unique_ptr<IQelObject> q(KQelObjectCreate());
        if (!q->ProjectCreate((dir + "/" + s.name).c_str(), s.binary, s.encrypted, nullptr)) {
            status = 1;
            continue;
        }
        WriteCurves(*q);
        WriteTakes(*q);
        WriteProperties(*q);
        WriteMedia(*q, s.binary, source);
        if (s.password)
            q->WritePassword("pw");
        if (!q->ProjectClose())
            status = 1;
    }
    std::remove(source.c_str());
    return status;
}
