// The symbols of an ELF shared library, read from the file itself: the
// dynamic symbol table (what the library exports and what it needs) and, when
// the file was not stripped, the full symbol table. 32- and 64-bit files of
// the host's own byte order.
#ifndef OXA_HOST_ELF_SYMBOLS_H
#define OXA_HOST_ELF_SYMBOLS_H

#include <stdint.h>

#include <string>
#include <vector>

namespace oxahost {

struct ElfSymbol {
    std::string name;
    // Relative to the library's load address.
    uint64_t value = 0;
    uint64_t size = 0;
    unsigned char type = 0;        // STT_*
    unsigned char binding = 0;     // STB_*
    unsigned char visibility = 0;  // STV_*
    uint16_t section = 0;          // SHN_UNDEF for a symbol the library needs

    bool defined() const;
    // Defined in a section, with global, weak or unique binding and a
    // visibility that lets other libraries bind to it.
    bool exported() const;
};

class ElfSymbols {
public:
    // False with a reason in `error` when `path` is not a readable ELF file.
    bool read(const std::string& path, std::string* error);

    const std::vector<ElfSymbol>& dynamicSymbols() const { return mDynamic; }
    // Empty when the file has no full symbol table.
    const std::vector<ElfSymbol>& fullSymbols() const { return mFull; }
    // The symbol of the full table, else of the dynamic one, whose range holds
    // `value` (load-relative) and has `type`; null when none.
    const ElfSymbol* containing(uint64_t value, unsigned char type) const;

private:
    template <typename Ehdr, typename Shdr, typename Sym>
    bool readTables(const std::vector<uint8_t>& file, std::string* error);

    std::vector<ElfSymbol> mDynamic;
    std::vector<ElfSymbol> mFull;
};

}  // namespace oxahost

#endif  // OXA_HOST_ELF_SYMBOLS_H
