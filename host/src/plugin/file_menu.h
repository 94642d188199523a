// The host's file menu: import, open and export through the registered
// file translators.
#ifndef VESK_PLUGIN_FILE_MENU_H
#define VESK_PLUGIN_FILE_MENU_H

#include <string>

#include <vesk/MStatus.h>
#include <vesk/VeskExport.h>

namespace vesk {

// Bytes of a file that identifyFile sees at most.
constexpr size_t kIdentifyBytes = 512;

class VESK_API FileMenu {
public:
    enum Action { kImport, kOpen, kExport };

    // Runs one menu action on a path. The candidates are the translators,
    // in registration order, that have a read method (open: and can be
    // opened) or, for an export, a write method. typeName, when not empty,
    // picks the candidate of that name. Otherwise each candidate's
    // identifyFile is asked, with the file's first bytes (at most 512;
    // none for an export), and the first answering "ours" is taken, else
    // the first answering "maybe". Before any translator is asked, an import
    // or open of a file that cannot be read fails. An open empties the scene
    // (as "file -f -new") once a translator is chosen. The chosen reader or
    // writer gets the path, its default options and the access mode; its
    // status is the action's. One translator object of each translator is
    // made for the action and deleted after it. Failures print an error
    // line: no path, an unreadable file, no translator of that name or none
    // claiming the file (kFailure), a creator giving no object or an
    // exception from the translator.
    static MStatus run(Action action, const std::string& path, const std::string& typeName = std::string());
};

} // namespace vesk

#endif
