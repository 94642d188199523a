// The process-wide settings store over one configuration file.
#ifndef QELSDK_FILE_KREGISTRY_H
#define QELSDK_FILE_KREGISTRY_H

#include "base/kstring.h"

namespace qelsdk_600 {

class KConfigFile;

// Reads and writes settings as text values in one section of one
// configuration file. Every read and write uses the section given to
// Connect; the section argument of the readers and writers is ignored.
// Numbers are written and read the same whatever the process locale.
class KRegistry {
public:
    // The one registry of the process; made on first use, so it is ready
    // for any static initialiser that needs it.
    static KRegistry* Instance();

    KRegistry();
    ~KRegistry();
    KRegistry(const KRegistry&) = delete;
    KRegistry& operator=(const KRegistry&) = delete;

    // Keeps copies of both texts and replaces the configuration file object
    // by one on fileName (read on every access, not cached). False for a
    // null or empty file name, which leaves the registry unconnected.
    bool Connect(const char* fileName, const char* section);
    // Drops the configuration file object; true.
    bool Close();
    bool IsConnected() const { return mConfig != nullptr; }
    const char* GetFileName() const { return mFileName.Buffer(); }
    const char* GetSection() const { return mSection.Buffer(); }

    // The value of key as a decimal integer ("%d"); defaultValue when not
    // connected, when the key is absent, or when its text does not start
    // with a number that fits an int.
    int ReadInt(const char* section, const char* key, int defaultValue);
    // The same as a float ("%f": fixed, exponent, inf and nan forms); a
    // number beyond the float range also gives defaultValue.
    float ReadFloat(const char* section, const char* key, float defaultValue);
    // out becomes the value text, or defaultValue (null: empty) when not
    // connected or the key is absent; returns out.
    KString& ReadString(const char* section, const char* key, const char* defaultValue,
                        KString& out);

    // Store the value under key: formatted "%d", "%f" (six decimals, '.'
    // as decimal point) or unchanged. False when not connected or when the
    // configuration file refuses the key or value or cannot be saved.
    bool WriteInt(const char* section, const char* key, int value);
    bool WriteFloat(const char* section, const char* key, float value);
    bool WriteString(const char* section, const char* key, const char* value);

private:
    // The value text, or null when not connected or the key is absent.
    const char* Lookup(const char* key);

    KConfigFile* mConfig;
    KString mFileName;
    KString mSection;
};

}  // namespace qelsdk_600

#endif
