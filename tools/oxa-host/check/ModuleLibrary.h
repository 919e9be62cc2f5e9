// The module library opened the way the host opens it, for the checks that
// look at it directly. Closes it when it goes.
#ifndef OXA_HOST_MODULE_LIBRARY_H
#define OXA_HOST_MODULE_LIBRARY_H

#include <string>

namespace oxahost {

class ModuleLibrary {
public:
    explicit ModuleLibrary(const std::string& path) : mPath(path), mHandle(nullptr) {}
    ~ModuleLibrary();

    ModuleLibrary(const ModuleLibrary&) = delete;
    ModuleLibrary& operator=(const ModuleLibrary&) = delete;

    // dlopen with `mode`; false with the loader's text in `error`.
    bool open(int mode, std::string* error);
    void* handle() const { return mHandle; }
    // What the host finds under `name` (dlsym on the handle, which also
    // searches the libraries the module depends on); null when nothing.
    void* find(const char* name) const;
    // Whether `address` lies in the module's own file.
    bool owns(const void* address) const;
    // The file name of the loaded library that holds `address`, or "".
    static std::string libraryOf(const void* address);

private:
    const std::string mPath;
    void* mHandle;
};

}  // namespace oxahost

#endif  // OXA_HOST_MODULE_LIBRARY_H
