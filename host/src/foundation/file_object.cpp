#include <vesk/MFileObject.h>

#include <cstdlib>
#include <string>

#include <unistd.h>

void MFileObject::setRawFullName(const MString& path)
{
    mFullName = path;
    if (path.length() == 0 || path.asChar()[0] == '/')
        return;
    // getcwd with a null buffer allocates what the directory needs.
    char* cwd = getcwd(nullptr, 0);
    if (!cwd)
        return;
    std::string full(cwd);
    free(cwd);
    if (full.empty() || full.back() != '/')
        full += '/';
    full.append(path.asChar(), path.length());
    mFullName = MString(full.c_str(), static_cast<int>(full.size()));
}

MString MFileObject::name() const
{
    const int slash = mFullName.rindex('/');
    return slash < 0 ? mFullName : mFullName.substring(slash + 1, static_cast<int>(mFullName.length()) - 1);
}
