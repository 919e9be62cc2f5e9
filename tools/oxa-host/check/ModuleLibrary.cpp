#include "ModuleLibrary.h"

#include <dlfcn.h>
#include <link.h>

namespace oxahost {

ModuleLibrary::~ModuleLibrary() {
    if (mHandle != nullptr) dlclose(mHandle);
}

bool ModuleLibrary::open(int mode, std::string* error) {
    dlerror();
    mHandle = dlopen(mPath.c_str(), mode);
    if (mHandle == nullptr) {
        const char* text = dlerror();
        *error = text != nullptr ? text : "dlopen failed without a reason";
        return false;
    }
    return true;
}

void* ModuleLibrary::find(const char* name) const {
    if (mHandle == nullptr) return nullptr;
    dlerror();
    void* address = dlsym(mHandle, name);
    dlerror();
    return address;
}

bool ModuleLibrary::owns(const void* address) const {
    struct link_map* map = nullptr;
    if (mHandle == nullptr || dlinfo(mHandle, RTLD_DI_LINKMAP, &map) != 0 || map == nullptr) {
        return false;
    }
    Dl_info info;
    if (dladdr(address, &info) == 0 || info.dli_fname == nullptr) return false;
    return std::string(info.dli_fname) == map->l_name;
}

std::string ModuleLibrary::libraryOf(const void* address) {
    Dl_info info;
    if (dladdr(address, &info) == 0 || info.dli_fname == nullptr) return "";
    return info.dli_fname;
}

}  // namespace oxahost
