// libFuzzer target: opens the input as a field file and runs the object
// readers above the field layer over it: curves, curve node trees with
// layers, property blocks in both layouts and embedded media.
#include <sys/stat.h>
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "base/kset.h"
#include "curves/kfcurve.h"
#include "curves/kfcurvenode.h"
#include "curves/kfcurvesettings.h"
#include "file/iqelobject.h"
#include "file/ktempfilemanager.h"
#include "object/kdatatype.h"
#include "object/kobject.h"
#include "object/kproperty.h"
#include "objects_fuzz_tree.h"

using namespace qelsdk_600;

namespace {

std::string TempRoot()
{
    const char* dir = std::getenv("TMPDIR");
    return std::string(dir && *dir ? dir : "/tmp") + "/objects_fuzz_" + std::to_string(getpid());
}

// What was read must also be usable: evaluation at and between the keys and
// out in both extrapolations.
void Evaluate(KFCurve* curve)
{
    const int count = curve->KeyGetCount();
    const KTime span(KTime::kTicksPerSecond * 10);
    int last = 0;
    for (int i = 0; i < count && i < 64; ++i) {
        const KTime time = curve->KeyGetTime(i);
        curve->Evaluate(time, &last);
        curve->EvaluateLeftDerivative(time, &last);
        curve->EvaluateRightDerivative(time, &last);
        if (i + 1 < count)
            curve->Evaluate(KTime(time.Get() / 2 + curve->KeyGetTime(i + 1).Get() / 2), &last);
    }
    if (count > 0) {
        kLongLong before = 0;
        kLongLong after = 0;
        if (!__builtin_sub_overflow(curve->KeyGetTime(0).Get(), span.Get() / 3, &before))
            curve->Evaluate(KTime(before), nullptr);
        if (!__builtin_add_overflow(curve->KeyGetTime(count - 1).Get(), span.Get(), &after))
            curve->Evaluate(KTime(after), nullptr);
    }
}

void Evaluate(KFCurveNode* node)
{
    std::vector<double> out(static_cast<std::size_t>(node->GetValueCount()) + 1);
    for (int t = -1; t <= 3; ++t)
        node->GeneralEvaluate(out.data(), KTime(KTime::kTicksPerSecond * t / 2), nullptr, false);
}

void ReadCurves(IQelObject& q)
{
    if (!q.FieldReadBegin("Curves"))
        return;
    if (q.FieldReadBlockBegin()) {
        for (int i = 0; i < 64 && q.FieldReadBegin("Curve"); ++i) {
            if (q.FieldReadBlockBegin()) {
                KFCurve* curve = KFCurveCreate();
                curve->QelRetrieve(&q, false, true);
                Evaluate(curve);
                curve->Destroy();
                // A second copy of the same curve, if any, through the
                // creating reader.
                if (KFCurve* made = KFCurveCreate(&q, false, true)) {
                    Evaluate(made);
                    made->Destroy();
                }
                q.FieldReadBlockEnd();
            }
            q.FieldReadEnd();
        }
        q.FieldReadBlockEnd();
    }
    q.FieldReadEnd();
}

void ReadTakes(IQelObject& q)
{
    for (int take = 0; take < 2 && q.FieldReadBegin("Take"); ++take) {
        if (q.FieldReadBlockBegin()) {
            if (take == 0) {
                KFCurveNode* root = TransformTemplateTree();
                for (int i = 0; i < 256 && KFCurveNodeCreate(&q, root, false, true, true); ++i) {
                }
                for (int i = 0; i < root->GetCount(); ++i)
                    Evaluate(root->Get(i));
                root->Destroy();
            } else {
                // The first channel into a node of the caller's, the rest
                // as new trees.
                KFCurveNode* own = KFCurveNodeCreate("Own");
                own->QelRetrieve(&q, false, true, true);
                Evaluate(own);
                own->Destroy();
                for (int i = 0; i < 256; ++i) {
                    KFCurveNode* node = KFCurveNodeCreate(&q, false, true);
                    if (!node)
                        break;
                    Evaluate(node);
                    node->Destroy();
                }
            }
            q.FieldReadBlockEnd();
        }
        q.FieldReadEnd();
    }
}

// A handler with a few typed properties; properties it lacks are made on it.
void ReadProperties(IQelObject& q)
{
    for (int layout = 0; layout < 2 && q.FieldReadBegin("Object"); ++layout) {
        if (q.FieldReadBlockBegin()) {
            KObject handler;
            const struct {
                const char* name;
                kPropertyType type;
            } specs[] = {
                {"Visibility", kPropertyBool}, {"Count", kPropertyInt},       {"Size", kPropertyDouble},
                {"Look", kPropertyEnum},       {"Lcl Translation", kPropertyVector3D},
                {"Color", kPropertyColorRGB},  {"Label Text", kPropertyString}, {"Path", kPropertyCharPtr},
                {"Start", kPropertyTime},      {"Ratio", kPropertyFloat},     {"Plane", kPropertyVector4D},
            };
            KArrayTemplate<KProperty*> list;
            for (const auto& spec : specs)
                if (KProperty* p = handler.CreatePropertyFromType(spec.name, spec.type, nullptr, false, false, nullptr))
                    list.Add(p);
            q.SetIsBeforeVersion6(layout == 1);
            q.FieldReadPropertiesList(list, &handler);
            // Reading again takes up the user properties made above.
            q.FieldReadPropertiesList(list, &handler);
            q.FieldReadBlockEnd();
        }
        q.FieldReadEnd();
    }
    q.SetIsBeforeVersion6(false);
}

void RemoveTree(const std::string& path)
{
    struct stat info;
    if (lstat(path.c_str(), &info) != 0)
        return;
    if (S_ISDIR(info.st_mode)) {
        for (int n = 0; n < 8; ++n)
            RemoveTree(path + "/" + std::to_string(n));
        std::remove(path.c_str());
    } else {
        std::remove(path.c_str());
    }
}

void ReadMedia(IQelObject& q, const std::string& directory)
{
    for (int i = 0; i < 8 && q.FieldReadBegin("Media"); ++i) {
        KString name(q.FieldReadGetType() == 'S' ? q.FieldReadC() : "media.bin");
        KString relative;
        bool keep = false;
        if (q.FieldReadEmbeddedFile(name, relative, directory.c_str(), &keep)) {
            KTempFileManager::Instance()->Unregister(name.Buffer());
            std::remove(name.Buffer());
        }
        q.FieldReadEnd();
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    static const std::string root = TempRoot();
    static const std::string path = root + ".qel";
    static const std::string media = root + "_media";
    // Warps live while a node refers to them: the keeper holds this one
    // for the whole run.
    static KFCurveNode* const keeper = [] {
        KFCurveNode* warp = KFCurveNodeCreate("warp", KDataTypeTimeWarp::DataType);
        warp->FCurveSet(KFCurveCreate());
        KFCurveNode* node = KFCurveNodeCreate("keeper");
        node->TimeWarpSet(warp);
        return node;
    }();
    std::FILE* f = std::fopen(path.c_str(), "wb");
    if (!f)
        return 0;
    std::fwrite(data, 1, size, f);
    std::fclose(f);

    KSet timeWarps;
    timeWarps.Add(12, reinterpret_cast<kReference>(keeper->TimeWarpGet()));
    KFCurve_SetTWSet(&timeWarps);
    {
        std::unique_ptr<IQelObject> q(KQelObjectCreate());
        if (q->ProjectOpen(path.c_str(), false, true, nullptr)) {
            q->CheckPassword("pw");
            if (q->ProjectOpenMainSection()) {
                ReadCurves(*q);
                ReadTakes(*q);
                ReadProperties(*q);
                ReadMedia(*q, media);
                q->ProjectCloseSection();
            }
            q->ProjectClose();
        }
    }
    KFCurve_SetTWSet(nullptr);
    RemoveTree(media);
    std::remove(path.c_str());
    return 0;
}
