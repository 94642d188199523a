// The reader object, its file, the section loop, the LAYER table, colours
// and materials.
#include "formats/dxf/kqelreaderdxf.h"

#include <cstdint>

#include "base/kpath.h"
#include "content/kqelcolor.h"
#include "content/kqelmaterial.h"
#include "formats/dxf/kqeldxf_impl.h"
#include "formats/dxf/kqelreaderdxf_impl.h"
#include "io/kstreamoptionsbase.h"
#include "scene/kqelnode.h"
#include "scene/kqelscene.h"
#include "scene/kqelsdkmanager.h"

namespace qelsdk_600 {

using dxf_detail::PairReader;

KQelReaderDxf::KQelReaderDxf(KQelSdkManager& pManager)
    : KQelReader(pManager), mFile(new PairReader), mMaterialCounter(0), mBlocksPosition(0),
      mObjectDerivation(KStreamOptionsDxf::eMeshPerLayer), mWeldVertices(true), mCreateReferenceNode(true),
      mLayerColours(20), mMaterials{}, mState(new ReadState)
{
}

KQelReaderDxf::~KQelReaderDxf()
{
    FileClose();
}

bool KQelReaderDxf::FileOpen(const char* pFileName)
{
    if (IsFileOpen())
        FileClose();
    if (!mFile->Open(pFileName)) {
        mError.SetLastErrorID(eFileNotOpened);
        return false;
    }
    mFileName = pFileName;
    // Positions of blocks belong to the file they were found in.
    mBlocksPosition = 0;
    mState->mBlocksIndexed = false;
    mState->mBlocks.clear();
    return true;
}

bool KQelReaderDxf::FileClose()
{
    const bool closed = mFile->Close();
    mFileName.Empty();
    return closed;
}

bool KQelReaderDxf::IsFileOpen()
{
    return mFile->IsOpen();
}

KStreamOptions* KQelReaderDxf::GetReadOptions(bool /*pParseFile*/)
{
    return KStreamOptionsDxfCreate();
}

bool KQelReaderDxf::GetLine()
{
    return mFile->Next();
}

bool KQelReaderDxf::Read(KQelScene& pScene, KStreamOptions* pOptions)
{
    if (!IsFileOpen()) {
        mError.SetLastErrorID(eFileNotOpened);
        return false;
    }
    if (!pOptions || !pOptions->Is(KStreamOptionsDxf::ClassId)) {
        mError.SetLastErrorID(eStreamOptionsNotSet);
        return false;
    }
    KStreamOptionsDxf* options = static_cast<KStreamOptionsDxf*>(pOptions);
    mObjectDerivation = options->GetObjectDerivation();
    mWeldVertices = options->GetOption(KStreamOptionsBase::eWeldVertices) == 1;
    mCreateReferenceNode = options->GetOption(KStreamOptionsBase::eCreateReferenceNode) == 1;
    mState->mAborted = false;
    mState->mBlockNodes = 0;
    mState->mBlockPoints = 0;

    KQelNode* parent = pScene.GetRootNode();
    if (mCreateReferenceNode) {
        KString name = ExtractFileName(mFileName.Buffer(), false) + "_root";
        KQelNode* reference = mManager.CreateKQelNode(name.Buffer());
        if (!reference)
            return false;
        parent->AddChild(reference);
        parent = reference;
    }

    const PairReader& pair = *mFile;
    for (;;) {
        if (!GetLine())
            return false;
        if (pair.Value() == "EOF")
            return true;
        if (!pair.Is(0, "SECTION"))
            continue;
        if (!GetLine())
            return false;
        if (pair.Is(2, "TABLES")) {
            if (!ReadTables())
                return false;
        } else if (pair.Is(2, "BLOCKS")) {
            mBlocksPosition = mFile->Tell();
        } else if (pair.Is(2, "ENTITIES")) {
            bool read = false;
            switch (mObjectDerivation) {
            case KStreamOptionsDxf::eMeshPerLayer:
                read = ReadEntitiesByLayer(parent);
                break;
            case KStreamOptionsDxf::eNodePerEntity:
                read = ReadEntities(parent);
                break;
            case KStreamOptionsDxf::eMeshPerBlock:
                read = ReadEntitiesAsBlock(parent, "ENTITIES");
                break;
            default:
                break;
            }
            return read && !mState->mAborted;
        }
    }
}

bool KQelReaderDxf::ReadTables()
{
    const PairReader& pair = *mFile;
    // Neither is reset between records: a record without a name or a colour
    // takes the former record's.
    std::string name;
    int colour = 0;
    enum { eSection, eTableName, eOtherTable, eLayerTable } state = eSection;
    bool pairRead = false;
    for (;;) {
        if (!pairRead && !GetLine())
            return false;
        pairRead = false;
        switch (state) {
        case eSection:
            if (pair.Is(0, "ENDSEC"))
                return true;
            if (pair.Is(0, "TABLE"))
                state = eTableName;
            break;
        case eTableName:
            state = pair.Is(2, "LAYER") ? eLayerTable : pair.Is(0, "ENDTAB") ? eSection : eOtherTable;
            break;
        case eOtherTable:
            if (pair.Is(0, "ENDTAB"))
                state = eSection;
            break;
        case eLayerTable:
            if (pair.Is(0, "ENDTAB")) {
                state = eSection;
            } else if (pair.Is(0, "LAYER")) {
                do {
                    if (!GetLine())
                        return false;
                    if (pair.Code() == 2)
                        name = pair.Value();
                    else if (pair.Code() == 62)
                        dxf_detail::ParseInt(pair.Value(), colour);
                } while (pair.Code() != 0);
                // A name listed twice keeps both records; lookups answer the
                // first.
                if (!name.empty())
                    mLayerColours.Add(name.c_str(), static_cast<kReference>(static_cast<std::intptr_t>(colour)));
                pairRead = true;
            }
            break;
        }
    }
}

int KQelReaderDxf::LayerColour(const std::string& pLayer) const
{
    return static_cast<int>(static_cast<std::intptr_t>(mLayerColours.Get(pLayer.c_str())));
}

long long KQelReaderDxf::ResolveColour(long long pOwn, const std::string& pLayer) const
{
    if (pOwn != 0 && pOwn != 256)
        return pOwn;
    const long long layer = LayerColour(pLayer);
    return layer < 0 ? -layer : layer;
}

int KQelReaderDxf::MaterialColour(long long pColour)
{
    return pColour >= 1 && pColour <= 255 ? static_cast<int>(pColour) : 0;
}

KQelMaterial* KQelReaderDxf::MaterialOf(int pColour)
{
    if (pColour < 1 || pColour > 255)
        return nullptr;
    if (!mMaterials[pColour]) {
        KString name = KString("Material") + mMaterialCounter;
        KQelMaterial* material = mManager.CreateKQelMaterial(name.Buffer());
        if (!material)
            return nullptr;
        ++mMaterialCounter;
        KQelColor colour;
        TranslateColor(pColour, colour);
        material->SetDiffuse(colour);
        mMaterials[pColour] = material;
    }
    return mMaterials[pColour];
}

KQelNode* KQelReaderDxf::CreateRenamedNode(const char* pName)
{
    KName name(pName);
    mRenaming.Rename(name);
    return mManager.CreateKQelNode(name.GetCurrentName());
}

namespace {

// Levels of red, green and blue in quarters for the hue steps 0 to 7 of a
// band, and the shade of each pair of last digits.
const int kHueU[8] = {4, 4, 4, 4, 4, 3, 2, 1};
const int kHueV[8] = {0, 1, 2, 3, 4, 4, 4, 4};
const double kShade[5] = {1.0, 0.65, 0.5, 0.3, 0.15};

struct NamedColour {
    double mRed, mGreen, mBlue;
};
const NamedColour kNamedColours[9] = {
    {1, 0, 0}, {1, 1, 0}, {0, 1, 0}, {0, 1, 1}, {0, 0, 1}, {1, 0, 1}, {1, 1, 1},
    {0.502, 0.502, 0.502}, {0.753, 0.753, 0.753},
};

}  // namespace

void KQelReaderDxf::TranslateColor(int pColorNumber, KQelColor& pColor)
{
    if (pColorNumber >= 1 && pColorNumber <= 9) {
        const NamedColour& c = kNamedColours[pColorNumber - 1];
        pColor.mRed = c.mRed;
        pColor.mGreen = c.mGreen;
        pColor.mBlue = c.mBlue;
    } else if (pColorNumber >= 10 && pColorNumber <= 249) {
        const int band = (pColorNumber - 10) / 80;
        const int step = (pColorNumber - 10 - band * 80) / 10;
        // Band 1 (U, V, 0), band 2 (0, U, V), band 3 (V, 0, U).
        int levels[3] = {0, 0, 0};
        levels[band] = kHueU[step];
        levels[(band + 1) % 3] = kHueV[step];
        const double shade = kShade[(pColorNumber % 10) / 2];
        double components[3];
        for (int i = 0; i < 3; ++i) {
            double value = levels[i] * 0.25;
            // Odd numbers are tints halfway to white.
            if (pColorNumber % 2 == 1)
                value += (4 - levels[i]) * 0.125;
            components[i] = value * shade;
        }
        pColor.mRed = components[0];
        pColor.mGreen = components[1];
        pColor.mBlue = components[2];
    } else if (pColorNumber >= 250 && pColorNumber <= 255) {
        const double grey = (pColorNumber % 10) * 0.134 + 0.33;
        pColor.mRed = pColor.mGreen = pColor.mBlue = grey;
    }
}

}  // namespace qelsdk_600
