// The open shared library of one module: opened under the file name Java
// gave, or failing that under the fallback name libwave_<name>.so, and
// closed once, by close() or at the latest by the destructor. Move-only.
//
//   ModuleLibrary library;
//   if (!library.open(name, fileName, libPath)) return 1;
//   void* create = nullptr;
//   if (library.isMissing("oxa_create", &create)) ...
#ifndef MODULE_LIBRARY_H
#define MODULE_LIBRARY_H

#include <string>

namespace android {

class ModuleLibrary {
public:
    ModuleLibrary() : mHandle(nullptr) {}
    ~ModuleLibrary() { close(); }
    ModuleLibrary(ModuleLibrary&& other) noexcept : mHandle(other.mHandle) {
        other.mHandle = nullptr;
    }
    ModuleLibrary& operator=(ModuleLibrary&& other) noexcept;
    ModuleLibrary(const ModuleLibrary&) = delete;
    ModuleLibrary& operator=(const ModuleLibrary&) = delete;

    // Opens `libPath`/`fileName`, else `libPath`/libwave_`name`.so; logs each
    // try and each failure. False when neither opens.
    bool open(const std::string& name, const std::string& fileName, const std::string& libPath);
    bool isOpen() const { return mHandle != nullptr; }
    void* handle() const { return mHandle; }

    // Looks `symbol` up after clearing the loader's error text. A symbol is
    // missing when there is no address and there is an error text; no
    // address without an error text is not a failure, but leaves `*address`
    // null.
    bool isMissing(const char* symbol, void** address) const;
    // The address of `symbol`, or null when it is missing or has none.
    void* find(const char* symbol) const;

    // Closes the library; nothing when it is not open.
    void close();

    // Called after open() has brought a library into the process that was
    // not loaded before. Its static objects are destroyed at exit before
    // anything registered earlier; the registry registers its exit sweep
    // again here, so that the sweep runs first. Set once, before any open.
    static void setNewlyLoadedHook(void (*hook)());

private:
    static void (*sNewlyLoadedHook)();

    void* mHandle;
};

}  // namespace android

#endif  // MODULE_LIBRARY_H
