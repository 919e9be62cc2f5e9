#include "VtableExaminer.h"

#include <cxxabi.h>
#include <dlfcn.h>
#include <elf.h>
#include <link.h>
#include <stdint.h>
#include <stdlib.h>

#include <map>
#include <memory>
#include <typeinfo>

#include "ElfSymbols.h"

namespace oxahost {

namespace {

// The symbols of each library file, read once.
const ElfSymbols* symbolsOf(const std::string& path) {
    static std::map<std::string, std::unique_ptr<ElfSymbols>> cache;
    auto found = cache.find(path);
    if (found != cache.end()) return found->second.get();
    std::unique_ptr<ElfSymbols> symbols(new ElfSymbols());
    std::string error;
    if (!symbols->read(path, &error)) symbols.reset();
    const ElfSymbols* result = symbols.get();
    cache[path] = std::move(symbols);
    return result;
}

struct CodeSearch {
    uintptr_t address;
    bool executable;
};

int findExecutable(struct dl_phdr_info* info, size_t, void* data) {
    CodeSearch* search = static_cast<CodeSearch*>(data);
    for (int i = 0; i < info->dlpi_phnum; ++i) {
        const auto& segment = info->dlpi_phdr[i];
        if (segment.p_type != PT_LOAD || (segment.p_flags & PF_X) == 0) continue;
        const uintptr_t start = info->dlpi_addr + segment.p_vaddr;
        if (search->address >= start && search->address < start + segment.p_memsz) {
            search->executable = true;
            return 1;
        }
    }
    return 0;
}

bool inExecutableCode(const void* address) {
    CodeSearch search = {reinterpret_cast<uintptr_t>(address), false};
    dl_iterate_phdr(findExecutable, &search);
    return search.executable;
}

std::string demangled(const char* name) {
    int status = 0;
    char* text = abi::__cxa_demangle(name, nullptr, nullptr, &status);
    if (status != 0 || text == nullptr) return name;
    std::string result = text;
    free(text);
    return result;
}

// What slot value `value` is: 1 a function start confirmed by a symbol,
// 0 code without such a symbol, -1 no code.
int slotKind(const void* value, std::string* where) {
    if (!inExecutableCode(value)) return -1;
    Dl_info info;
    if (dladdr(value, &info) == 0 || info.dli_fname == nullptr) return 0;
    if (info.dli_saddr == value && info.dli_sname != nullptr) {
        *where = demangled(info.dli_sname);
        return 1;
    }
    const ElfSymbols* symbols = symbolsOf(info.dli_fname);
    const uint64_t offset =
        reinterpret_cast<uintptr_t>(value) - reinterpret_cast<uintptr_t>(info.dli_fbase);
    const ElfSymbol* function = symbols ? symbols->containing(offset, STT_FUNC) : nullptr;
    if (function != nullptr && function->value == offset) {
        *where = demangled(function->name.c_str());
        return 1;
    }
    return 0;
}

}  // namespace

VtableExaminer::Result VtableExaminer::examine(const void* object, int firstSlot, int count,
                                               bool (*derivesFromV2)(const void*)) {
    Result result;
    const void* const* table = *static_cast<const void* const* const*>(object);
    Dl_info info;
    if (dladdr(table, &info) == 0 || info.dli_fname == nullptr) {
        result.evidence = "the virtual table lies in no loaded library";
        return result;
    }

    // 1. The size of the table's symbol.
    long slotsAfter = -1;
    const ElfSymbols* symbols = symbolsOf(info.dli_fname);
    const uint64_t offset =
        reinterpret_cast<uintptr_t>(table) - reinterpret_cast<uintptr_t>(info.dli_fbase);
    const ElfSymbol* symbol = symbols ? symbols->containing(offset, STT_OBJECT) : nullptr;
    if (symbol != nullptr && symbol->name.compare(0, 4, "_ZTV") == 0 && symbol->size > 0) {
        slotsAfter = static_cast<long>((symbol->value + symbol->size - offset) / sizeof(void*));
        if (slotsAfter < firstSlot + count) {
            result.finding = kLacksSlots;
            result.evidence = "its virtual table (" + demangled(symbol->name.c_str()) + ") has " +
                              std::to_string(slotsAfter) + " slots, the version-2 class needs " +
                              std::to_string(firstSlot + count);
            return result;
        }
    }

    // 2. The type information.
    const std::type_info* type = static_cast<const std::type_info*>(table[-1]);
    std::string typeText;
    if (type != nullptr) {
        result.hasTypeInfo = true;
        result.derivesFromV2 = derivesFromV2(object);
        typeText = "its class " + demangled(type->name()) +
                   (result.derivesFromV2 ? " derives" : " does not derive") +
                   " from the version-2 class";
    }

    // 3. The slots themselves (read, never called).
    int confirmed = 0;
    int notCode = 0;
    std::string slotText;
    for (int i = firstSlot; i < firstSlot + count; ++i) {
        std::string where;
        const int kind = slotKind(table[i], &where);
        if (kind == 1) ++confirmed;
        if (kind < 0) ++notCode;
        slotText += (slotText.empty() ? "slot " : ", slot ") + std::to_string(i) +
                    (kind == 1   ? " holds " + where
                     : kind == 0 ? " points into code without a symbol"
                                 : " points at no code");
    }
    result.evidence = (typeText.empty() ? "no type information" : typeText) + "; " + slotText;
    if (result.hasTypeInfo) {
        result.finding = result.derivesFromV2 ? kHasSlots : kLacksSlots;
    } else if (notCode > 0) {
        result.finding = kLacksSlots;
    } else if (confirmed == count) {
        result.finding = kHasSlots;
    }
    return result;
}

}  // namespace oxahost
