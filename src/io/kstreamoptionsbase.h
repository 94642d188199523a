// Option tables of the 3D Studio, DXF and OBJ formats.
#ifndef QELSDK_IO_KSTREAMOPTIONSBASE_H
#define QELSDK_IO_KSTREAMOPTIONSBASE_H

#include "base/kstring.h"
#include "base/ktypes.h"
#include "object/kstreamoptions.h"

namespace qelsdk_600 {

// A table of numbered options (1 to 17), each with an integer value, a
// valid flag, a mode, a type, a name and a group, meant to be listed in a
// dialog. Each kind's Reset fills the numbers it uses; the others stay as
// constructed (value 0, not valid, mode 2, type 1, no name, group 0). Option
// getters answer 0, false or an empty name for a number outside 1 to 17, and
// the setters ignore it. The caller owns objects that a factory, a reader or
// a writer returns and releases them with Destroy.
class KStreamOptionsBase : public KStreamOptions {
public:
    enum EOption : int {
        eNoOption = 0,  // also "no group"
        eCreateReferenceNode = 1,
        eForceTriangulation = 2,
        eEvaluateDeformations = 3,
        eWeldVertices = 4,
        eObjectDerivationHeading = 5,
        eLayerBlockEntity = 6,
        eMaterials = 7,
        eTextureMapping = 8,
        eAnim = 9,
        eGeometries = 10,
        eLights = 11,
        eCamera = 12,
        eAmbientLight = 13,
        eRescale = 14,
        eReduceKeys = 15,
        eSmoothGroup = 16,
        eUVPerPolygon = 17,
        eOptionSlotCount = 18
    };
    // Which side reads an option.
    enum EOptionMode : int { eImportOption = 0, eExportOption = 1, eImportExportOption = 2 };
    // How a dialog shows an option: a heading, a value, or a choice among the
    // '~'-separated words of its name (the value is the word's index).
    enum EOptionType : int { eHeading = 0, eValue = 1, eChoice = 2 };
    // Stored and copied, not interpreted here.
    enum EExportContentType : int { eDefaultExportContent = 4 };
    enum ETakeStartEnd : int { eDefaultTakeStartEnd = 1 };

    static int ClassId;
    static KClassDefinition ClassDefinition;

    // The table as constructed, export content 4, both flags false, take
    // start and end 1, empty take name.
    KStreamOptionsBase();
    ~KStreamOptionsBase() override;
    // Copies the callbacks and every option slot (value, mode, valid flag,
    // type, name, group); the export content type, the flags, the take start
    // and end and the take name stay. Self-assignment changes nothing.
    KStreamOptionsBase& operator=(const KStreamOptionsBase& pOther);

    KClassDefinition* GetClassDefinition() const override;
    // Default callbacks; the table is left as it is.
    void Reset() override;
    // Whether the format keeps a take name: false here.
    virtual bool HandleTakes() const;

    void SetOption(EOption pOption, int pValue);
    int GetOption(EOption pOption) const;
    void SetValid(EOption pOption, bool pValid);
    bool IsValid(EOption pOption) const;
    void SetMode(EOption pOption, EOptionMode pMode);
    EOptionMode GetMode(EOption pOption) const;
    void SetType(EOption pOption, EOptionType pType);
    EOptionType GetType(EOption pOption) const;
    void SetName(EOption pOption, const KString& pName);
    KString GetName(EOption pOption) const;
    void SetGroupId(EOption pOption, EOption pGroup);
    EOption GetGroupId(EOption pOption) const;

    void SetExportContentType(EExportContentType pType) { mExportContentType = pType; }
    EExportContentType GetExportContentType() const { return mExportContentType; }
    void SetOverwriteExistingFiles(bool pValue) { mOverwriteExistingFiles = pValue; }
    bool GetOverwriteExistingFiles() const { return mOverwriteExistingFiles; }
    void SetAddPrefix(bool pValue) { mAddPrefix = pValue; }
    bool GetAddPrefix() const { return mAddPrefix; }
    void SetTakeStartEnd(ETakeStartEnd pValue) { mTakeStartEnd = pValue; }
    ETakeStartEnd GetTakeStartEnd() const { return mTakeStartEnd; }
    // Stores the name only when HandleTakes() answers true (null: empty).
    void SetTakeName(const char* pName);
    // Null when HandleTakes() answers false, else the stored name.
    const char* GetTakeName() const;

    // One row of a kind's defaults.
    struct OptionDefault {
        EOption mOption;
        const char* mName;
        int mValue;
        EOptionMode mMode;
        EOptionType mType;
        EOption mGroup;
    };

protected:
    // Sets each listed option, valid, from its row.
    void ApplyDefaults(const OptionDefault* pRows, int pCount);

private:
    struct Slot {
        kInt mValue;
        bool mValid;
        EOptionMode mMode;
        EOptionType mType;
        KString mName;
        EOption mGroup;
    };
    // The slot of a number in 1 to 17, else null.
    Slot* Find(EOption pOption);
    const Slot* Find(EOption pOption) const;

    Slot mSlots[eOptionSlotCount];
    EExportContentType mExportContentType;
    bool mOverwriteExistingFiles;
    bool mAddPrefix;
    ETakeStartEnd mTakeStartEnd;
    KString mTakeName;
};

// 3D Studio options (1, 7 to 17) and three content counts; keeps a take name.
class KStreamOptions3ds : public KStreamOptionsBase {
public:
    enum { kContentCountTotal = 3 };

    static int ClassId;
    static KClassDefinition ClassDefinition;

    KStreamOptions3ds();
    ~KStreamOptions3ds() override;
    // The base part and the three counts; self-assignment changes nothing.
    KStreamOptions3ds& operator=(const KStreamOptions3ds& pOther);

    KClassDefinition* GetClassDefinition() const override;
    // The 3D Studio table (all valid, group 0 but "Texture Mapping" in group
    // "Materials"), counts 0.
    void Reset() override;
    bool HandleTakes() const override;

    // Indices 0 to 2; others are ignored and answer 0.
    void SetContentCount(int pIndex, int pValue);
    int GetContentCount(int pIndex) const;

private:
    kInt mContentCounts[kContentCountTotal];
};

// DXF options (1 to 6) and the object derivation, which option 6 selects.
class KStreamOptionsDxf : public KStreamOptionsBase {
public:
    // How DXF content becomes scene objects.
    enum EObjectDerivation : int { eMeshPerLayer = 0, eNodePerEntity = 1, eMeshPerBlock = 2 };

    static int ClassId;
    static KClassDefinition ClassDefinition;

    KStreamOptionsDxf();
    ~KStreamOptionsDxf() override;
    // The base part and the derivation; self-assignment changes nothing.
    KStreamOptionsDxf& operator=(const KStreamOptionsDxf& pOther);

    KClassDefinition* GetClassDefinition() const override;
    // The DXF table (all valid, group 0), derivation 0.
    void Reset() override;

    // Stores the derivation and sets option 6 to its choice (0 layer for 0,
    // 2 entity for 1, 1 block for 2); a value outside 0 to 2 changes nothing.
    void SetObjectDerivation(EObjectDerivation pDerivation);
    // The derivation of option 6's choice (0 gives 0, 1 gives 2, 2 gives 1),
    // stored and answered; another value of option 6 answers the stored one.
    EObjectDerivation GetObjectDerivation();

private:
    EObjectDerivation mObjectDerivation;
};

// OBJ options (1 to 3).
class KStreamOptionsObj : public KStreamOptionsBase {
public:
    static int ClassId;
    static KClassDefinition ClassDefinition;

    KStreamOptionsObj();
    ~KStreamOptionsObj() override;
    KStreamOptionsObj& operator=(const KStreamOptionsObj& pOther);

    KClassDefinition* GetClassDefinition() const override;
    // The OBJ table (all valid, type 1, group 0).
    void Reset() override;
};

// New option sets with their defaults; the caller owns them.
KStreamOptions3ds* KStreamOptions3dsCreate();
KStreamOptionsDxf* KStreamOptionsDxfCreate();
KStreamOptionsObj* KStreamOptionsObjCreate();

}  // namespace qelsdk_600

#endif
