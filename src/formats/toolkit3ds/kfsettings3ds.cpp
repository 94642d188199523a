// Keyframer settings.
#include "formats/toolkit3ds/kfsettings3ds.h"

#include <cstdlib>
#include <initializer_list>

#include "formats/toolkit3ds/catalogue3ds.h"
#include "formats/toolkit3ds/errors3ds.h"
#include "formats/toolkit3ds/keyframer3ds.h"
#include "formats/toolkit3ds/toolkit3ds_impl.h"

namespace qelsdk_600 {

using namespace toolkit3ds_detail;

namespace {

// The keyframer section (made when absent) of a database with a top.
chunk3ds* Section(database3ds* db)
{
    if (!db || !db->topchunk) {
        Fail(db ? ERR_INVALID_DATABASE : ERR_INVALID_ARG);
        return nullptr;
    }
    chunk3ds* kf = nullptr;
    kfGetKfSeg(db->topchunk, &kf);
    return Stop() ? nullptr : kf;
}


}  // namespace

void InitKeyInfo3ds(keyinfo3ds* info)
{
    if (!info) {
        Fail(ERR_INVALID_ARG);
        return;
    }
    info->length = 30;
    info->curframe = 0;
}

void InitKfSegment3ds(kfsegment3ds* segment)
{
    if (!segment) {
        Fail(ERR_INVALID_ARG);
        return;
    }
    segment->use = False3ds;
    segment->begin = 0;
    segment->end = 30;
}

void InitKfSets3ds(kfsets3ds** settings)
{
    if (!EnsureRecord(settings))
        return;
    InitKeyInfo3ds(&(*settings)->anim);
    InitKfSegment3ds(&(*settings)->seg);
}

void ReleaseKfSets3ds(kfsets3ds** settings)
{
    if (!settings)
        return;
    std::free(*settings);
    *settings = nullptr;
}

void GetKeyInfo3ds(database3ds* database, keyinfo3ds* info)
{
    if (!info) {
        Fail(ERR_INVALID_ARG);
        return;
    }
    chunk3ds* kf = Section(database);
    if (!kf)
        return;
    WithData<KfHdrData3ds>(ChildOf(kf, KFHDR),
                           [&](const KfHdrData3ds& d) { info->length = static_cast<std::uint32_t>(d.animlength); });
    WithData<Int32Data3ds>(ChildOf(kf, KFCURTIME),
                           [&](const Int32Data3ds& d) { info->curframe = static_cast<std::uint32_t>(d.value); });
}

void PutKeyInfo3ds(database3ds* database, keyinfo3ds* info)
{
    if (!info) {
        Fail(ERR_INVALID_ARG);
        return;
    }
    chunk3ds* kf = Section(database);
    if (!kf)
        return;
    if (chunk3ds* header = ChildOf(kf, KFHDR)) {
        if (KfHdrData3ds* d = static_cast<KfHdrData3ds*>(ReadChunkData3ds(header)))
            d->animlength = static_cast<std::int32_t>(info->length);
    } else if (KfHdrData3ds* d = static_cast<KfHdrData3ds*>(AddData(kf, KFHDR))) {
        d->revision = 5;
        d->filename = strdup3ds("");
        d->animlength = static_cast<std::int32_t>(info->length);
    }
    if (Stop())
        return;
    Int32Data3ds* time = nullptr;
    if (chunk3ds* c = ChildOf(kf, KFCURTIME))
        time = static_cast<Int32Data3ds*>(ReadChunkData3ds(c));
    else
        time = static_cast<Int32Data3ds*>(AddData(kf, KFCURTIME));
    if (time)
        time->value = static_cast<std::int32_t>(info->curframe);
}

void GetKfSegment3ds(database3ds* database, kfsegment3ds* segment)
{
    if (!segment) {
        Fail(ERR_INVALID_ARG);
        return;
    }
    chunk3ds* kf = Section(database);
    WithData<KfSegData3ds>(ChildOf(kf, KFSEG), [&](const KfSegData3ds& d) {
        segment->use = True3ds;
        segment->begin = static_cast<std::uint32_t>(d.first);
        segment->end = static_cast<std::uint32_t>(d.last);
    });
}

void PutKfSegment3ds(database3ds* database, kfsegment3ds* segment)
{
    if (!segment) {
        Fail(ERR_INVALID_ARG);
        return;
    }
    chunk3ds* kf = Section(database);
    if (!kf)
        return;
    if (!segment->use) {
        DeleteChunk3ds(ChildOf(kf, KFSEG));
        return;
    }
    if (KfSegData3ds* d = static_cast<KfSegData3ds*>(ReplaceData(kf, KFSEG))) {
        d->first = static_cast<std::int32_t>(segment->begin);
        d->last = static_cast<std::int32_t>(segment->end);
    }
}

void GetKfSets3ds(database3ds* database, kfsets3ds** settings)
{
    if (!settings) {
        Fail(ERR_INVALID_ARG);
        return;
    }
    if (!CheckDatabase(database, kTakesMesh | kTakesProject))
        return;
    InitKfSets3ds(settings);
    if (Stop())
        return;
    GetKeyInfo3ds(database, &(*settings)->anim);
    if (!Stop())
        GetKfSegment3ds(database, &(*settings)->seg);
}

void PutKfSets3ds(database3ds* database, kfsets3ds* settings)
{
    if (!settings) {
        Fail(ERR_INVALID_ARG);
        return;
    }
    if (!CheckDatabase(database, kTakesMesh | kTakesProject))
        return;
    PutKeyInfo3ds(database, &settings->anim);
    if (!Stop())
        PutKfSegment3ds(database, &settings->seg);
}

void CopyKfSets3ds(database3ds* destination, database3ds* source)
{
    if (!CheckDatabase(destination, kTakesMesh | kTakesProject) ||
        !CheckDatabase(source, kTakesMesh | kTakesProject))
        return;
    chunk3ds* from = ChildOf(source->topchunk, KFDATA);
    if (!from)
        return;
    for (std::uint16_t tag : {KFHDR, KFCURTIME, KFSEG}) {
        chunk3ds* c = ChildOf(from, tag);
        if (!c)
            continue;
        chunk3ds* to = Section(destination);
        if (!to)
            return;
        DeleteChunk3ds(ChildOf(to, tag));
        chunk3ds* copy = nullptr;
        CopyChunk3ds(c, &copy);
        if (copy)
            AddChildOrdered3ds(to, copy);
        if (Stop())
            return;
    }
}

}  // namespace qelsdk_600
