#include "plugin/file_menu.h"

#include <cstdio>
#include <memory>
#include <vector>

#include <vesk/MFileObject.h>
#include <vesk/MGlobal.h>
#include <vesk/MPxFileTranslator.h>

#include "foundation/message_log.h"
#include "plugin/plugin_registry.h"

namespace vesk {
namespace {

const char* const kActionWords[] = {"import", "open", "export"};

MStatus menuError(FileMenu::Action action, const std::string& text)
{
    MessageLog::add(MessageLog::kError, std::string("File ") + kActionWords[action] + ": " + text);
    return MStatus::kFailure;
}

// Deletes the translators made for one action, whatever way it ends.
struct Translators {
    std::vector<std::pair<TranslatorEntry, MPxFileTranslator*>> items;
    ~Translators()
    {
        for (auto& item : items)
            delete item.second;
    }
};

bool isCandidate(FileMenu::Action action, const MPxFileTranslator& t)
{
    if (action == FileMenu::kExport)
        return t.haveWriteMethod();
    return t.haveReadMethod() && (action != FileMenu::kOpen || t.canBeOpened());
}

// The first bytes of the file; false when it cannot be opened or read.
bool readHead(const std::string& path, std::vector<char>& out)
{
    std::FILE* f = std::fopen(path.c_str(), "rb");
    if (!f)
        return false;
    out.resize(kIdentifyBytes);
    const size_t n = std::fread(out.data(), 1, out.size(), f);
    const bool failed = std::ferror(f) != 0;
    std::fclose(f);
    out.resize(n);
    return !failed;
}

// The chosen translator, or null with an error line printed.
MPxFileTranslator* choose(FileMenu::Action action, const Translators& made, const std::string& typeName,
                          const MFileObject& file, const std::vector<char>& head, TranslatorEntry& chosen)
{
    static const char kNoBytes[1] = {0};
    const char* buffer = head.empty() ? kNoBytes : head.data();
    MPxFileTranslator* maybe = nullptr;
    for (const auto& item : made.items) {
        if (!isCandidate(action, *item.second))
            continue;
        if (!typeName.empty()) {
            if (item.first.name != typeName)
                continue;
            chosen = item.first;
            return item.second;
        }
        const MPxFileTranslator::FileKind kind =
            item.second->identifyFile(file, buffer, static_cast<short>(head.size()));
        if (kind == MPxFileTranslator::kFileIsOurs) {
            chosen = item.first;
            return item.second;
        }
        if (kind == MPxFileTranslator::kFileMaybeOurs && !maybe) {
            chosen = item.first;
            maybe = item.second;
        }
    }
    if (!maybe) {
        const std::string what = kActionWords[action];
        menuError(action, typeName.empty() ? "no translator claims " + std::string(file.fullName().asChar())
                                           : "no translator named \"" + typeName + "\" can " + what);
    }
    return maybe;
}

MStatus runAction(FileMenu::Action action, const std::string& path, const std::string& typeName)
{
    if (path.empty())
        return menuError(action, "no file given");
    std::vector<char> head;
    if (action != FileMenu::kExport && !readHead(path, head))
        return menuError(action, "cannot read " + path);
    Translators made;
    for (const TranslatorEntry& entry : plugins().translators()) {
        void* object = entry.creator();
        if (!object)
            return menuError(action, "the creator of \"" + entry.name + "\" made no translator");
        made.items.emplace_back(entry, static_cast<MPxFileTranslator*>(object));
    }
    MFileObject file;
    file.setRawFullName(MString(path.c_str(), static_cast<int>(path.size())));
    TranslatorEntry entry;
    MPxFileTranslator* chosen = choose(action, made, typeName, file, head, entry);
    if (!chosen)
        return MStatus::kFailure;
    if (action == FileMenu::kOpen) {
        const MStatus reset = MGlobal::executeCommand("file -f -new");
        if (!reset)
            return reset;
    }
    const MString options(entry.defaultOptions.c_str(), static_cast<int>(entry.defaultOptions.size()));
    static const MPxFileTranslator::FileAccessMode kModes[] = {
        MPxFileTranslator::kImportAccess, MPxFileTranslator::kOpenAccess, MPxFileTranslator::kExportAccess};
    return action == FileMenu::kExport ? chosen->writer(file, options, kModes[action])
                                       : chosen->reader(file, options, kModes[action]);
}

} // namespace

MStatus FileMenu::run(Action action, const std::string& path, const std::string& typeName)
{
    try {
        return runAction(action, path, typeName);
    } catch (...) {
        return menuError(action, "a translator threw an exception");
    }
}

} // namespace vesk
