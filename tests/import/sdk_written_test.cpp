// A file written by the SDK's writers, not by the host's export, with one of
// each kind of content: the host records the import makes, worked out by
// hand.
#include "import_fixture.h"

#include "content/kqellight.h"
#include "content/kqelmaterial.h"
#include "content/kqelnurb.h"
#include "content/kqelshape.h"
#include "content/kqeltexture.h"
#include "scene/kqeltakenode.h"

using namespace qelsdk_600;

namespace {

typedef KQelLayerElement E;

// The record with every number at six significant digits: the file keeps
// key values and slopes in single precision.
std::string sixDigits(const std::string& pRecord)
{
    std::istringstream tokens(pRecord);
    std::string out;
    for (std::string token; tokens >> token;) {
        char* end = nullptr;
        const double value = std::strtod(token.c_str(), &end);
        if (end && *end == '\0' && end != token.c_str()) {
            char text[32];
            std::snprintf(text, sizeof text, "%.6g", value);
            token = std::string(text) == "-0" ? "0" : text;
        }
        out += (out.empty() ? "" : " ") + token;
    }
    return out;
}

std::vector<std::string> sixDigits(const std::vector<std::string>& pRecords)
{
    std::vector<std::string> out;
    for (const std::string& record : pRecords)
        out.push_back(sixDigits(record));
    return out;
}

void fill(KQelSdkManager& pManager, KQelScene& pScene)
{
    KQelNode* root = pScene.GetRootNode();
    pScene.CreateTake("Run");

    // A quad in namespace "stage", with a UV, normal and colour per corner,
    // a material and a texture.
    KQelMesh* floor = meshOf(pManager, 4, {{0, 1, 2, 3}});
    for (int i = 0; i < 4; ++i)
        floor->GetControlPoints()[i] = KQelVector4(i == 1 || i == 2 ? 2 : 0, 0, i >= 2 ? 2 : 0, 1);
    addElement(floor, 0, &KQelLayer::SetUVs, E::eByPolygonVertex, E::eIndexToDirect,
               std::vector<KQelVector2>{KQelVector2(0, 0), KQelVector2(1, 0), KQelVector2(1, 1), KQelVector2(0, 1)},
               {0, 1, 2, 3});
    addElement(floor, 0, &KQelLayer::SetNormals, E::eByPolygonVertex, E::eDirect,
               std::vector<KQelVector4>(4, KQelVector4(0, 1, 0, 0)));
    addElement(floor, 0, &KQelLayer::SetVertexColors, E::eByPolygonVertex, E::eDirect,
               std::vector<KQelColor>(4, KQelColor(1, 0.5, 0.25, 1)));
    KQelMaterial* paint = pManager.CreateKQelMaterial("paint");
    paint->SetDiffuse(KQelColor(0.25, 0.5, 0.75, 1));
    addElement(floor, 0, &KQelLayer::SetMaterials, E::eAllSame, E::eIndexToDirect, std::vector<KQelMaterial*>{paint},
               {0});
    KQelTexture* wood = pManager.CreateKQelTexture("wood");
    wood->SetFileName("/data/wood.tif");
    addElement(floor, 0, &KQelLayer::SetTextures, E::eAllSame, E::eIndexToDirect, std::vector<KQelTexture*>{wood},
               {0});
    add(pManager, root, "stage:floor", floor);

    // A bilinear surface, one point of weight 2.
    KQelNurb* band = pManager.CreateKQelNurb();
    band->SetOrder(2, 2);
    band->InitControlPoints(2, KQelNurb::kOpen, 2, KQelNurb::kOpen);
    for (int i = 0; i < 4; ++i)
        band->GetControlPoints()[i] = KQelVector4(i % 2, i / 2, 0, i == 3 ? 2 : 1);
    for (int i = 0; i < 4; ++i)
        band->GetUKnotVector()[i] = band->GetVKnotVector()[i] = i < 2 ? 0 : 1;
    add(pManager, root, "band", band);

    // A point light at 150 %, keyed to 50 % over a second in "Run".
    KQelNode* bulb = add(pManager, root, "bulb", pManager.CreateKQelLight());
    bulb->GetDefaultTakeNode()->GetLightIntensity()->SetValue(150.0f);
    bulb->CreateTakeNode("Run");
    bulb->SetCurrentTakeNode("Run");
    addKeys(bulb->GetCurrentTakeNode()->GetLightIntensity(), {{0.0, 150.0f}, {1.0, 50.0f}},
            kFCurveInterpolationLinear);

    // A node moved linearly in "Run", with a user property.
    KQelNode* mover = add(pManager, root, "mover");
    mover->CreateTakeNode("Run");
    mover->SetCurrentTakeNode("Run");
    addKeys(mover->GetCurrentTakeNode()->GetTranslationX(), {{0.0, 0.0f}, {2.0, 10.0f}}, kFCurveInterpolationLinear);
    KQelUserProperty* speed = pManager.CreateKQelUserProperty("speed", "Real", "speed");
    speed->ModifyFlag(KQelUserProperty::eUserProperty, true);
    speed->ModifyFlag(KQelUserProperty::eAnimatable, true);
    mover->AddProperty(speed);
    speed->SetDefaultValue(2.5);

    // A mesh with a shape whose weight goes from 0 to 100 in "Run".
    KQelMesh* face = meshOf(pManager, 3, {{0, 1, 2}});
    KQelShape* smile = pManager.CreateKQelShape();
    smile->InitControlPoints(3);
    for (int i = 0; i < 3; ++i)
        smile->GetControlPoints()[i] = face->GetControlPoints()[i] + KQelVector4(0, 0, 1, 0);
    face->AddShape(smile, "face.smile");
    KQelNode* faceNode = add(pManager, root, "face", face);
    faceNode->CreateTakeNode("Run");
    faceNode->SetCurrentTakeNode("Run");
    addKeys(face->GetShapeChannel(faceNode->GetCurrentTakeNode(), 0), {{0.0, 0.0f}, {1.0, 100.0f}},
            kFCurveInterpolationLinear);
}

TEST_F(ImportTest, AFileOfTheSdkWritersImportsWithTheExpectedHostValues)
{
    const std::string path = writeScene("sdk.qel", fill, KQelExporter::eQelAscii);
    ASSERT_FALSE(path.empty());
    QelVeskUserParams::Instance()->SetImportType(QelVeskUserParams::eCreate);
    ASSERT_EQ(mImport->OpenProject(MString(path.c_str())), MStatus::kSuccess);
    mImport->SetTakeName("Run");
    ASSERT_EQ(mImport->Import(), MStatus::kSuccess);

    const struct {
        const char* pattern;
        std::vector<std::string> records;
    } expected[] = {
        {"^mesh \"\\|stage:floor\\|stage:floorShape\" (v|f|uvset|uvid|color) ",
         {"mesh \"|stage:floor|stage:floorShape\" v 0 = 0 0 0", "mesh \"|stage:floor|stage:floorShape\" v 1 = 2 0 0",
          "mesh \"|stage:floor|stage:floorShape\" v 2 = 2 0 2", "mesh \"|stage:floor|stage:floorShape\" v 3 = 0 0 2",
          "mesh \"|stage:floor|stage:floorShape\" f 0 = 0 1 2 3",
          "mesh \"|stage:floor|stage:floorShape\" color 0 = 1 0.5 0.25 1",
          "mesh \"|stage:floor|stage:floorShape\" color 1 = 1 0.5 0.25 1",
          "mesh \"|stage:floor|stage:floorShape\" color 2 = 1 0.5 0.25 1",
          "mesh \"|stage:floor|stage:floorShape\" color 3 = 1 0.5 0.25 1",
          "mesh \"|stage:floor|stage:floorShape\" uvset 0 = \"uvSet1\" 4",
          "mesh \"|stage:floor|stage:floorShape\" uvid 0 0 = 0 1 2 3"}},
        {"^attr \"paint\" color[RGB] ",
         {"attr \"paint\" colorR = k 0.25", "attr \"paint\" colorG = k 0.5", "attr \"paint\" colorB = k 0.75"}},
        {"^attr \"[^\"]*\" fileTextureName ", {"attr \"wood\" fileTextureName = - \"/data/wood.tif\""}},
        {"^nurbs \"\\|band\\|bandShape\" (cv|=)",
         {"nurbs \"|band|bandShape\" = 1 1 1 1 2 2 1", "nurbs \"|band|bandShape\" cv 0 = 0 0 0",
          "nurbs \"|band|bandShape\" cv 1 = 1 0 0", "nurbs \"|band|bandShape\" cv 2 = 0 1 0",
          "nurbs \"|band|bandShape\" cv 3 = 1 1 0 2"}},
        // Percent to a fraction; linear keys, the first with its slope (per
        // second) set, fixed.
        {"^key \"\\|bulb\\|bulbShape\" intensity ",
         {"key \"|bulb|bulbShape\" intensity 0 = 0 1.5 1 1 -1 -1 0 0 1 1",
          "key \"|bulb|bulbShape\" intensity 1 = 1 0.5 2 2 0 0 0 0 1 1"}},
        {"^key \"\\|mover\" translateX ",
         {"key \"|mover\" translateX 0 = 0 0 1 1 5 5 0 0 1 1", "key \"|mover\" translateX 1 = 2 10 2 2 0 0 0 0 1 1"}},
        {"^attr \"\\|mover\" speed ", {"attr \"|mover\" speed = k 2.5"}},
        {"^key \"face_BlendShaper\" weight\\[0\\] ",
         {"key \"face_BlendShaper\" weight[0] 0 = 0 0 1 1 1 1 0 0 1 1",
          "key \"face_BlendShaper\" weight[0] 1 = 1 1 2 2 0 0 0 0 1 1"}},
    };
    for (const auto& e : expected) {
        SCOPED_TRACE(e.pattern);
        EXPECT_EQ(sixDigits(dumpLines(e.pattern)), sixDigits(e.records));
    }
}

}  // namespace
