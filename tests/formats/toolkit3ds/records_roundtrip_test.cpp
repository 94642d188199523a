// One record of every family, with its fields set, put into a new database,
// written, read into a second one and got back equal field by field.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <sstream>
#include <string>
#include <type_traits>

#include "toolkit3ds_test_util.h"

namespace qelsdk_600 {
namespace {

using namespace test3ds;

// ---- Records as text, every field, so two records compare as strings.

class Text {
public:
    Text& operator<<(float f)
    {
        char buffer[32];
        std::snprintf(buffer, sizeof buffer, "%.9g ", f);
        mOut << buffer;
        return *this;
    }
    Text& operator<<(std::uint32_t v)
    {
        mOut << v << ' ';
        return *this;
    }
    Text& operator<<(const char* s)
    {
        mOut << '"' << (s ? s : "(none)") << "\" ";
        return *this;
    }
    Text& operator<<(const point3ds& p) { return *this << p.x << p.y << p.z; }
    Text& operator<<(const fcolor3ds& c) { return *this << c.r << c.g << c.b; }
    Text& Floats(const float* f, int n)
    {
        for (int i = 0; i < n; ++i)
            *this << f[i];
        return *this;
    }
    template <class Value>
    Text& Track(const kftrack3ds<Value>& t, int floats)
    {
        *this << t.keycount << std::uint32_t(t.flags);
        for (std::uint32_t k = 0; t.keys && k < t.keycount; ++k) {
            const keyheader3ds& h = t.keys[k];
            *this << h.time << std::uint32_t(h.rflags) << h.tension << h.continuity << h.bias << h.easeto << h.easefrom;
            if constexpr (!std::is_void_v<Value>)
                if (t.values && floats)
                    Floats(reinterpret_cast<const float*>(&t.values[k]), floats);
        }
        return *this;
    }
    std::string Str() const { return mOut.str(); }

private:
    std::ostringstream mOut;
};

template <class Value>
void FillTrack(kftrack3ds<Value>& t, int floats, float base)
{
    t.flags = TrackLoops3ds;
    for (std::uint32_t k = 0; k < t.keycount; ++k) {
        t.keys[k].time = 10 * k;
        t.keys[k].rflags = static_cast<std::uint16_t>(k ? KeyUsesTension3ds | KeyUsesEaseFrom3ds : 0);
        t.keys[k].tension = k ? 0.5f : 0.0f;
        t.keys[k].easefrom = k ? 0.25f : 0.0f;
        if constexpr (!std::is_void_v<Value>) {
            float* v = reinterpret_cast<float*>(&t.values[k]);
            for (int i = 0; i < floats; ++i)
                v[i] = base + static_cast<float>(k * 10 + i);
        }
    }
}

std::string Describe(const mesh3ds& m)
{
    Text t;
    t << m.name << std::uint32_t(m.ishidden) << std::uint32_t(m.isvislofter) << std::uint32_t(m.ismatte)
      << std::uint32_t(m.isnocast) << std::uint32_t(m.isfast) << std::uint32_t(m.isnorcvshad)
      << std::uint32_t(m.isfrozen);
    for (int i = 0; i < m.nvertices; ++i)
        t << m.vertexarray[i];
    for (int i = 0; i < m.nvflags; ++i)
        t << std::uint32_t(m.vflagarray[i]);
    for (int i = 0; i < m.ntextverts; ++i)
        t << m.textarray[i].u << m.textarray[i].v;
    t << std::uint32_t(m.usemapinfo) << std::uint32_t(m.map.maptype) << m.map.tilex << m.map.tiley << m.map.iconx
      << m.map.icony << m.map.iconz << m.map.scaling;
    t.Floats(m.map.matrix, 12) << m.map.planarwidth << m.map.planarheight << m.map.cylinderheight;
    t.Floats(m.locmatrix, 12);
    for (int i = 0; i < m.nfaces; ++i)
        t << std::uint32_t(m.facearray[i].v1) << std::uint32_t(m.facearray[i].v2) << std::uint32_t(m.facearray[i].v3)
          << std::uint32_t(m.facearray[i].flag) << (m.smootharray ? m.smootharray[i] : 99u);
    t << std::uint32_t(m.useboxmap);
    for (const char* name : m.boxmap)
        t << name;
    t << std::uint32_t(m.meshcolor);
    for (int g = 0; g < m.nmats; ++g) {
        t << m.matarray[g].name;
        for (int i = 0; i < m.matarray[g].nfaces; ++i)
            t << std::uint32_t(m.matarray[g].faceindex[i]);
    }
    t << std::uint32_t(m.procedural) << m.procsize << m.procname
      << std::string(static_cast<const char*>(m.procdata), m.procsize).c_str();
    return t.Str();
}

std::string Describe(const bitmap3ds& b)
{
    Text t;
    t << b.name << b.percent << b.tiling << std::uint32_t(b.ignorealpha) << b.filter << b.blur
      << std::uint32_t(b.mirror) << std::uint32_t(b.negative) << b.uscale << b.vscale << b.uoffset << b.voffset
      << b.rotation << b.source << b.tint1 << b.tint2 << b.redtint << b.greentint << b.bluetint << b.datasize
      << std::string(static_cast<const char*>(b.data ? b.data : ""), b.datasize).c_str();
    return t.Str();
}

bitmap3ds material3ds::*const kMaps[] = {
    &material3ds::texture, &material3ds::texmask,   &material3ds::tex2,    &material3ds::tex2mask,
    &material3ds::opacity, &material3ds::opacmask,  &material3ds::bump,    &material3ds::bumpmask,
    &material3ds::specmap, &material3ds::specmask,  &material3ds::shinmap, &material3ds::shinmask,
    &material3ds::illum,   &material3ds::illummask, &material3ds::reflect, &material3ds::reflectmask};

std::string Describe(const material3ds& m)
{
    Text t;
    t << m.name << m.ambient << m.diffuse << m.specular << m.shininess << m.shinstrength << m.reflectblur
      << m.transparency << m.transfalloff << m.selfillumpct << m.wiresize << m.shading << std::uint32_t(m.useblur)
      << std::uint32_t(m.usefall) << std::uint32_t(m.twosided) << std::uint32_t(m.selfillum)
      << std::uint32_t(m.additive) << std::uint32_t(m.usewire) << std::uint32_t(m.usewireabs)
      << std::uint32_t(m.facemap) << std::uint32_t(m.soften) << std::uint32_t(m.useauto) << std::uint32_t(m.firstframe)
      << std::uint32_t(m.flat) << m.reflectsize << m.nthframe;
    std::string all = t.Str();
    for (const auto map : kMaps)
        all += "| " + Describe(m.*map);
    return all;
}

std::string Describe(const light3ds& l)
{
    Text t;
    t << l.name << l.pos << l.color << l.multiplier << std::uint32_t(l.off) << std::uint32_t(l.attenuate)
      << l.innerrange << l.outerrange;
    for (std::uint32_t i = 0; l.exclude && i < l.exclude->count; ++i)
        t << l.exclude->list[i];
    if (const spotlight3ds* s = l.spot)
        t << s->target << s->hotspot << s->falloff << s->roll << s->aspect << std::uint32_t(s->shadows) << s->raytraced
          << std::uint32_t(s->uselocal) << s->bias << s->filter << std::uint32_t(s->mapsize) << s->raybias
          << s->rectangular << std::uint32_t(s->showcone) << std::uint32_t(s->overshoot)
          << std::uint32_t(s->useprojector) << s->projector;
    return t.Str();
}

std::string Describe(const camera3ds& c)
{
    Text t;
    t << c.name << c.position << c.target << c.roll << c.fov << std::uint32_t(c.showcone) << c.nearplane << c.farplane;
    return t.Str();
}

std::string Describe(const background3ds& b)
{
    Text t;
    t << b.bitmap << b.solid << b.gradpercent << b.gradtop << b.gradmid << b.gradbottom << b.bgndused;
    return t.Str();
}

std::string Describe(const meshset3ds& s)
{
    Text t;
    t << s.masterscale << s.shadowbias << s.raytracebias << std::uint32_t(s.shadowsize) << s.shadowfilter
      << s.ambientlight << s.oconsts;
    return t.Str();
}

std::string Describe(const kfsets3ds& k)
{
    Text t;
    t << k.anim.length << k.anim.curframe << std::uint32_t(k.seg.use) << k.seg.begin << k.seg.end;
    return t.Str();
}

std::string Describe(const objectmotion3ds& m)
{
    Text t;
    t << m.name << m.parent << std::uint32_t(m.flags1) << std::uint32_t(m.flags2) << m.pivot << m.instance << m.bboxmin
      << m.bboxmax << m.morphsmooth;
    t.Track(m.pos, 3).Track(m.rot, 4).Track(m.scale, 3).Track(m.hide, 0);
    for (std::uint32_t k = 0; m.morph.values && k < m.morph.keycount; ++k)
        t << m.morph.values[k].name;
    return t.Str();
}

std::string Describe(const cameramotion3ds& m)
{
    Text t;
    t << m.name << m.parent << std::uint32_t(m.flags1) << std::uint32_t(m.flags2) << m.tparent
      << std::uint32_t(m.tflags1) << std::uint32_t(m.tflags2);
    return t.Track(m.pos, 3).Track(m.fov, 1).Track(m.roll, 1).Track(m.tpos, 3).Str();
}

std::string Describe(const omnimotion3ds& m)
{
    Text t;
    t << m.name << m.parent << std::uint32_t(m.flags1) << std::uint32_t(m.flags2);
    return t.Track(m.pos, 3).Track(m.color, 3).Str();
}

std::string Describe(const spotmotion3ds& m)
{
    Text t;
    t << m.name << m.parent << std::uint32_t(m.flags1) << std::uint32_t(m.flags2) << m.tparent
      << std::uint32_t(m.tflags1) << std::uint32_t(m.tflags2);
    return t.Track(m.pos, 3).Track(m.color, 3).Track(m.hot, 1).Track(m.fall, 1).Track(m.roll, 1).Track(m.tpos, 3).Str();
}

// ---- The records, every field set; colours in 255ths, fractions in
// ---- hundredths that survive being truncated.

void Fill(mesh3ds* m)
{
    std::strcpy(m->name, "mesh");
    m->ishidden = m->isvislofter = m->ismatte = m->isnocast = m->isfast = m->isnorcvshad = m->isfrozen = 1;
    for (int i = 0; i < 4; ++i) {
        m->vertexarray[i] = {float(i), float(i % 2), 1.5f};
        m->vflagarray[i] = static_cast<std::uint16_t>(i);
        m->textarray[i] = {0.25f * i, 1.0f - 0.25f * i};
    }
    m->usemapinfo = 1;
    m->map.maptype = 2;
    m->map.tilex = 3.0f;
    m->map.iconz = 4.0f;
    m->map.matrix[11] = 5.0f;
    m->map.cylinderheight = 6.0f;
    m->locmatrix[0] = m->locmatrix[4] = m->locmatrix[8] = 1.0f;
    m->locmatrix[9] = 7.0f;
    m->facearray[0] = {0, 1, 2, 7};
    m->facearray[1] = {1, 2, 3, 3};
    m->smootharray[0] = 1;
    m->smootharray[1] = 6;
    m->useboxmap = 1;
    for (int i = 0; i < 6; ++i)
        std::snprintf(m->boxmap[i], sizeof m->boxmap[i], "side%d", i);
    m->meshcolor = 5;
    m->nmats = 1;
    InitMeshObjField3ds(m, InitMatArray3ds);
    std::strcpy(m->matarray[0].name, "wood");
    m->matarray[0].nfaces = 2;
    InitMatArrayIndex3ds(m, 0, 2);
    m->matarray[0].faceindex[1] = 1;
    m->procedural = 1;
    std::strcpy(m->procname, "proc");
    m->procsize = 3;
    InitMeshObjField3ds(m, InitProcData3ds);
    std::memcpy(m->procdata, "abc", 3);
}

void Fill(material3ds* m)
{
    std::strcpy(m->name, "wood");
    m->ambient = {51 / 255.0f, 102 / 255.0f, 153 / 255.0f};
    m->diffuse = {1.0f, 0.0f, 204 / 255.0f};
    m->specular = {0.0f, 51 / 255.0f, 1.0f};
    m->shininess = 0.25f;
    m->shinstrength = 0.5f;
    m->reflectblur = 0.75f;
    m->transparency = 0.3f;
    m->transfalloff = -0.5f;
    m->selfillumpct = 0.1f;
    m->wiresize = 2.0f;
    m->shading = GouraudShading3ds;
    m->useblur = m->usefall = m->twosided = m->selfillum = m->additive = m->usewire = m->usewireabs = m->facemap =
        m->soften = 1;
    m->useauto = m->firstframe = m->flat = 1;
    m->reflectsize = 200;
    m->nthframe = 3;
    int index = 0;
    for (const auto map : kMaps) {
        bitmap3ds& b = m->*map;
        std::snprintf(b.name, sizeof b.name, "map%d.png", index);
        b.percent = 0.5f;
        if (map == &material3ds::reflect) {
            ++index;
            continue;
        }
        b.percent = map == &material3ds::bump ? 0.5f : (index + 1) / 100.0f;
        b.tiling = 2 + index % 2;
        b.ignorealpha = 1;
        b.filter = 1;
        b.blur = 0.5f;
        b.mirror = b.negative = 1;
        b.uscale = 2.0f;
        b.voffset = 0.5f;
        b.rotation = 30.0f;
        b.source = index % 2 ? 4 : 2 + index % 4 / 2;
        if (b.source == 4) {
            b.redtint = {1.0f, 51 / 255.0f, 0.0f};
            b.greentint = {0.0f, 1.0f, 102 / 255.0f};
            b.bluetint = {153 / 255.0f, 0.0f, 1.0f};
        } else {
            b.tint1 = {51 / 255.0f, 0.0f, 0.0f};
            b.tint2 = {0.0f, 204 / 255.0f, 1.0f};
        }
        b.datasize = 5;
        b.data = std::malloc(5);
        std::snprintf(static_cast<char*>(b.data), 5, "d%03d", index);
        ++index;
    }
}

class Toolkit3dsRecordsRoundTrip : public Toolkit3dsTest {};

TEST_F(Toolkit3dsRecordsRoundTrip, EveryFamilyComesBackFieldByField)
{
    database3ds* db = nullptr;
    InitDatabase3ds(&db);
    CreateNewDatabase3ds(db, MeshFile3ds);

    mesh3ds* mesh = nullptr;
    InitMeshObj3ds(&mesh, 4, 2, 0xFFFF);
    Fill(mesh);
    material3ds* material = nullptr;
    InitMaterial3ds(&material);
    Fill(material);
    light3ds* omni = nullptr;
    InitLight3ds(&omni);
    std::strcpy(omni->name, "omni");
    omni->pos = {1, 2, 3};
    omni->color = {0.5f, 0.25f, 1.0f};
    omni->multiplier = 2.0f;
    omni->off = omni->attenuate = 1;
    omni->innerrange = 5.0f;
    omni->outerrange = 50.0f;
    AddToNameList3ds(omni->exclude, "mesh");
    AddToNameList3ds(omni->exclude, "other");
    light3ds* spot = nullptr;
    InitSpotlight3ds(&spot);
    std::strcpy(spot->name, "spot");
    *spot->spot = {{4, 5, 6}, 30, 40, 15, 2, 1, 1, 1, 2, 4, 256, 3, 1, 1, 1, 1, strdup3ds("proj.tga")};
    camera3ds* camera = nullptr;
    InitCamera3ds(&camera);
    *camera = {"cam", {1, 1, 1}, {5, 5, 5}, 5.0f, 60.0f, 1, 2.0f, 500.0f};
    background3ds* background = nullptr;
    InitBackground3ds(&background);
    background->bitmap = strdup3ds("bg.tga");
    background->solid = {0.5f, 0.5f, 0.25f};
    background->gradpercent = 0.4f;
    background->gradtop = {1, 0, 0};
    background->gradmid = {0, 1, 0};
    background->gradbottom = {0, 0, 1};
    background->bgndused = UseVGradientBgnd3ds;
    meshset3ds* settings = nullptr;
    InitMeshSet3ds(&settings);
    *settings = {2.0f, 1.5f, 2.5f, 1024, 4.0f, {0.25f, 0.5f, 0.75f}, {1, 2, 3}};
    kfsets3ds* kf = nullptr;
    InitKfSets3ds(&kf);
    *kf = {{100, 10}, {1, 5, 90}};
    objectmotion3ds* object = nullptr;
    InitObjectMotion3ds(&object, 2, 2, 2, 2, 2);
    std::strcpy(object->name, "mesh");
    object->flags1 = KfHideNode3ds;
    object->flags2 = KfNodeHasPath3ds;
    object->pivot = {1, 2, 3};
    object->morphsmooth = 30.0f;
    FillTrack(object->pos, 3, 1.0f);
    FillTrack(object->rot, 4, 2.0f);
    FillTrack(object->scale, 3, 3.0f);
    FillTrack(object->morph, 0, 0.0f);
    FillTrack(object->hide, 0, 0.0f);
    std::strcpy(object->morph.values[1].name, "other");
    objectmotion3ds* dummy = nullptr;
    InitObjectMotion3ds(&dummy, 1, 0, 0, 0, 0);
    std::strcpy(dummy->name, DummyName3ds);
    std::strcpy(dummy->instance, "d1");
    std::strcpy(dummy->parent, "mesh");
    dummy->bboxmin = {-1, -1, -1};
    dummy->bboxmax = {1, 1, 1};
    dummy->morphsmooth = 0.0f;
    cameramotion3ds* cameraMotion = nullptr;
    InitCameraMotion3ds(&cameraMotion, 2, 2, 2, 2);
    std::strcpy(cameraMotion->name, "cam");
    std::strcpy(cameraMotion->parent, "$$$DUMMY.d1");
    cameraMotion->tflags1 = KfNodeOff3ds;
    FillTrack(cameraMotion->pos, 3, 4.0f);
    FillTrack(cameraMotion->fov, 1, 45.0f);
    FillTrack(cameraMotion->roll, 1, 6.0f);
    FillTrack(cameraMotion->tpos, 3, 7.0f);
    omnimotion3ds* omniMotion = nullptr;
    InitOmnilightMotion3ds(&omniMotion, 2, 2);
    std::strcpy(omniMotion->name, "omni");
    FillTrack(omniMotion->pos, 3, 8.0f);
    FillTrack(omniMotion->color, 3, 0.5f);
    spotmotion3ds* spotMotion = nullptr;
    InitSpotlightMotion3ds(&spotMotion, 2, 2, 2, 2, 2, 2);
    std::strcpy(spotMotion->name, "spot");
    std::strcpy(spotMotion->tparent, "mesh");
    FillTrack(spotMotion->pos, 3, 9.0f);
    FillTrack(spotMotion->color, 3, 0.25f);
    FillTrack(spotMotion->hot, 1, 30.0f);
    FillTrack(spotMotion->fall, 1, 40.0f);
    FillTrack(spotMotion->roll, 1, 50.0f);
    FillTrack(spotMotion->tpos, 3, 60.0f);

    PutMesh3ds(db, mesh);
    PutMaterial3ds(db, material);
    PutOmnilight3ds(db, omni);
    PutSpotlight3ds(db, spot);
    PutCamera3ds(db, camera);
    PutBackground3ds(db, background);
    PutMeshSet3ds(db, settings);
    PutKfSets3ds(db, kf);
    PutObjectMotion3ds(db, object);
    PutObjectMotion3ds(db, dummy);
    PutCameraMotion3ds(db, cameraMotion);
    PutOmnilightMotion3ds(db, omniMotion);
    PutSpotlightMotion3ds(db, spotMotion);
    ASSERT_EQ(Errors(), std::vector<int>());
    ASSERT_FALSE(WriteBytes(db).empty());
    ReleaseDatabase3ds(&db);
    ReadBytes(scratch::ReadFile(Path("out.3ds")));
    ASSERT_EQ(Errors(), std::vector<int>());

    mesh3ds* meshBack = nullptr;
    GetMeshByIndex3ds(mDb, 0, &meshBack);
    EXPECT_EQ(Describe(*meshBack), Describe(*mesh));
    // Records got twice free what they held (map data, bitmap names).
    material3ds* materialBack = nullptr;
    GetMaterialByIndex3ds(mDb, 0, &materialBack);
    GetMaterialByIndex3ds(mDb, 0, &materialBack);
    // The wire flag reads back as wire shading.
    material->shading = WireShading3ds;
    material->usewire = 0;
    EXPECT_EQ(Describe(*materialBack), Describe(*material));
    light3ds* omniBack = nullptr;
    GetOmnilightByIndex3ds(mDb, 0, &omniBack);
    EXPECT_EQ(Describe(*omniBack), Describe(*omni));
    light3ds* spotBack = nullptr;
    GetSpotlightByIndex3ds(mDb, 0, &spotBack);
    EXPECT_EQ(Describe(*spotBack), Describe(*spot));
    camera3ds* cameraBack = nullptr;
    GetCameraByIndex3ds(mDb, 0, &cameraBack);
    EXPECT_NEAR(cameraBack->fov, camera->fov, 1e-4);
    cameraBack->fov = camera->fov;
    EXPECT_EQ(Describe(*cameraBack), Describe(*camera));
    background3ds* backgroundBack = nullptr;
    GetBackground3ds(mDb, &backgroundBack);
    GetBackground3ds(mDb, &backgroundBack);
    EXPECT_EQ(Describe(*backgroundBack), Describe(*background));
    meshset3ds* settingsBack = nullptr;
    GetMeshSet3ds(mDb, &settingsBack);
    EXPECT_EQ(Describe(*settingsBack), Describe(*settings));
    kfsets3ds* kfBack = nullptr;
    GetKfSets3ds(mDb, &kfBack);
    EXPECT_EQ(Describe(*kfBack), Describe(*kf));
    objectmotion3ds* objectBack = nullptr;
    GetObjectMotionByName3ds(mDb, "mesh", &objectBack);
    EXPECT_EQ(Describe(*objectBack), Describe(*object));
    GetObjectMotionByName3ds(mDb, "$$$DUMMY.d1", &objectBack);
    EXPECT_EQ(Describe(*objectBack), Describe(*dummy));
    cameramotion3ds* cameraMotionBack = nullptr;
    GetCameraMotionByIndex3ds(mDb, 0, &cameraMotionBack);
    GetCameraMotionByIndex3ds(mDb, 0, &cameraMotionBack);
    EXPECT_EQ(Describe(*cameraMotionBack), Describe(*cameraMotion));
    omnimotion3ds* omniMotionBack = nullptr;
    GetOmnilightMotionByIndex3ds(mDb, 0, &omniMotionBack);
    EXPECT_EQ(Describe(*omniMotionBack), Describe(*omniMotion));
    spotmotion3ds* spotMotionBack = nullptr;
    GetSpotlightMotionByIndex3ds(mDb, 0, &spotMotionBack);
    EXPECT_EQ(Describe(*spotMotionBack), Describe(*spotMotion));
    EXPECT_EQ(Errors(), std::vector<int>());

    RelMeshObj3ds(&mesh);
    RelMeshObj3ds(&meshBack);
    ReleaseMaterial3ds(&material);
    ReleaseMaterial3ds(&materialBack);
    for (light3ds** l : {&omni, &spot, &omniBack, &spotBack})
        ReleaseLight3ds(l);
    ReleaseCamera3ds(&camera);
    ReleaseCamera3ds(&cameraBack);
    ReleaseBackground3ds(&background);
    ReleaseBackground3ds(&backgroundBack);
    ReleaseMeshSet3ds(&settings);
    ReleaseMeshSet3ds(&settingsBack);
    ReleaseKfSets3ds(&kf);
    ReleaseKfSets3ds(&kfBack);
    for (objectmotion3ds** o : {&object, &dummy, &objectBack})
        ReleaseObjectMotion3ds(o);
    ReleaseCameraMotion3ds(&cameraMotion);
    ReleaseCameraMotion3ds(&cameraMotionBack);
    ReleaseOmnilightMotion3ds(&omniMotion);
    ReleaseOmnilightMotion3ds(&omniMotionBack);
    ReleaseSpotlightMotion3ds(&spotMotion);
    ReleaseSpotlightMotion3ds(&spotMotionBack);
}

}  // namespace
}  // namespace qelsdk_600
