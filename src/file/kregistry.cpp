#include "file/kregistry.h"

#include <charconv>
#include <cstring>
#include <system_error>

#include "base/kconfigfile.h"

namespace qelsdk_600 {

namespace {

// The start of a number as scanf would see it: leading blanks skipped, and
// a '+' sign accepted, which from_chars does not take.
const char* NumberStart(const char* text, const char* end)
{
    while (text < end && (*text == ' ' || *text == '\t' || *text == '\n' || *text == '\r' ||
                          *text == '\f' || *text == '\v'))
        ++text;
    if (text + 1 < end && text[0] == '+' && text[1] != '-' && text[1] != '+')
        ++text;
    return text;
}

}  // namespace

KRegistry* KRegistry::Instance()
{
    static KRegistry registry;
    return &registry;
}

KRegistry::KRegistry() : mConfig(nullptr), mFileName(""), mSection("") {}

KRegistry::~KRegistry()
{
    delete mConfig;
}

bool KRegistry::Connect(const char* fileName, const char* section)
{
    delete mConfig;
    mConfig = nullptr;
    mFileName = fileName ? fileName : "";
    mSection = section ? section : "";
    if (!fileName || !*fileName)
        return false;
    mConfig = new KConfigFile(fileName, false);
    return true;
}

bool KRegistry::Close()
{
    delete mConfig;
    mConfig = nullptr;
    return true;
}

const char* KRegistry::Lookup(const char* key)
{
    if (!mConfig || !key)
        return nullptr;
    return mConfig->Get(mSection.Buffer(), key, nullptr);
}

int KRegistry::ReadInt(const char* /*section*/, const char* key, int defaultValue)
{
    const char* text = Lookup(key);
    if (!text)
        return defaultValue;
    const char* end = text + std::strlen(text);
    int value = 0;
    std::from_chars_result result = std::from_chars(NumberStart(text, end), end, value);
    return result.ec == std::errc() ? value : defaultValue;
}

float KRegistry::ReadFloat(const char* /*section*/, const char* key, float defaultValue)
{
    const char* text = Lookup(key);
    if (!text)
        return defaultValue;
    const char* end = text + std::strlen(text);
    float value = 0.0f;
    std::from_chars_result result = std::from_chars(NumberStart(text, end), end, value);
    return result.ec == std::errc() ? value : defaultValue;
}

KString& KRegistry::ReadString(const char* /*section*/, const char* key, const char* defaultValue,
                               KString& out)
{
    const char* text = Lookup(key);
    if (text)
        out = text;
    else
        out = defaultValue ? defaultValue : "";
    return out;
}

bool KRegistry::WriteInt(const char* /*section*/, const char* key, int value)
{
    char buffer[16];
    std::to_chars_result result = std::to_chars(buffer, buffer + sizeof(buffer), value);
    *result.ptr = '\0';
    return WriteString(nullptr, key, buffer);
}

bool KRegistry::WriteFloat(const char* /*section*/, const char* key, float value)
{
    // "%f" of the largest float needs 39 digits, a sign, a point and six decimals.
    char buffer[64];
    std::to_chars_result result = std::to_chars(buffer, buffer + sizeof(buffer) - 1,
                                                static_cast<double>(value),
                                                std::chars_format::fixed, 6);
    if (result.ec != std::errc())
        return false;
    *result.ptr = '\0';
    return WriteString(nullptr, key, buffer);
}

bool KRegistry::WriteString(const char* /*section*/, const char* key, const char* value)
{
    if (!mConfig || !key)
        return false;
    return mConfig->Set(mSection.Buffer(), key, value ? value : "");
}

}  // namespace qelsdk_600
