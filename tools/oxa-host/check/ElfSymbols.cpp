#include "ElfSymbols.h"

#include <elf.h>
#include <stdio.h>
#include <string.h>

#include <algorithm>

namespace oxahost {

namespace {

bool readFile(const std::string& path, std::vector<uint8_t>* bytes) {
    FILE* file = fopen(path.c_str(), "rb");
    if (file == nullptr) return false;
    uint8_t buffer[65536];
    size_t n;
    while ((n = fread(buffer, 1, sizeof(buffer), file)) > 0) {
        bytes->insert(bytes->end(), buffer, buffer + n);
    }
    const bool ok = ferror(file) == 0;
    fclose(file);
    return ok;
}

bool hostIsLittleEndian() {
    const uint16_t probe = 1;
    uint8_t first;
    memcpy(&first, &probe, 1);
    return first == 1;
}

template <typename T>
bool readAt(const std::vector<uint8_t>& file, uint64_t offset, T* value) {
    if (offset > file.size() || file.size() - offset < sizeof(T)) return false;
    memcpy(value, file.data() + offset, sizeof(T));
    return true;
}

template <typename Sym>
unsigned char symbolType(const Sym& sym) {
    return sym.st_info & 0xf;
}

template <typename Sym>
unsigned char symbolBinding(const Sym& sym) {
    return sym.st_info >> 4;
}

}  // namespace

bool ElfSymbol::defined() const {
    return section != SHN_UNDEF;
}

bool ElfSymbol::exported() const {
    if (!defined() || section == SHN_ABS || name.empty()) return false;
    if (binding != STB_GLOBAL && binding != STB_WEAK && binding != STB_GNU_UNIQUE) return false;
    return visibility == STV_DEFAULT || visibility == STV_PROTECTED;
}

bool ElfSymbols::read(const std::string& path, std::string* error) {
    mDynamic.clear();
    mFull.clear();
    std::vector<uint8_t> file;
    if (!readFile(path, &file)) {
        *error = "cannot read " + path;
        return false;
    }
    if (file.size() < EI_NIDENT || memcmp(file.data(), ELFMAG, SELFMAG) != 0) {
        *error = path + " is not an ELF file";
        return false;
    }
    const bool little = file[EI_DATA] == ELFDATA2LSB;
    if (little != hostIsLittleEndian()) {
        *error = path + " has the other byte order";
        return false;
    }
    if (file[EI_CLASS] == ELFCLASS32) {
        return readTables<Elf32_Ehdr, Elf32_Shdr, Elf32_Sym>(file, error);
    }
    if (file[EI_CLASS] == ELFCLASS64) {
        return readTables<Elf64_Ehdr, Elf64_Shdr, Elf64_Sym>(file, error);
    }
    *error = path + " is neither a 32- nor a 64-bit ELF file";
    return false;
}

template <typename Ehdr, typename Shdr, typename Sym>
bool ElfSymbols::readTables(const std::vector<uint8_t>& file, std::string* error) {
    Ehdr header;
    if (!readAt(file, 0, &header) || header.e_shentsize != sizeof(Shdr)) {
        *error = "the ELF header is cut short or has no section table";
        return false;
    }
    std::vector<Shdr> sections(header.e_shnum);
    for (size_t i = 0; i < sections.size(); ++i) {
        if (!readAt(file, header.e_shoff + i * sizeof(Shdr), &sections[i])) {
            *error = "the section table is cut short";
            return false;
        }
    }
    for (const Shdr& section : sections) {
        if (section.sh_type != SHT_DYNSYM && section.sh_type != SHT_SYMTAB) continue;
        if (section.sh_link >= sections.size() || section.sh_entsize != sizeof(Sym)) continue;
        const Shdr& strings = sections[section.sh_link];
        std::vector<ElfSymbol>& table = section.sh_type == SHT_DYNSYM ? mDynamic : mFull;
        const uint64_t count = section.sh_size / sizeof(Sym);
        for (uint64_t i = 1; i < count; ++i) {
            Sym sym;
            if (!readAt(file, section.sh_offset + i * sizeof(Sym), &sym)) break;
            ElfSymbol symbol;
            if (sym.st_name < strings.sh_size && strings.sh_offset + sym.st_name < file.size()) {
                const char* start =
                    reinterpret_cast<const char*>(file.data() + strings.sh_offset + sym.st_name);
                const size_t limit = static_cast<size_t>(std::min<uint64_t>(
                    strings.sh_size - sym.st_name, file.size() - strings.sh_offset - sym.st_name));
                symbol.name.assign(start, strnlen(start, limit));
            }
            symbol.value = sym.st_value;
            symbol.size = sym.st_size;
            symbol.type = symbolType(sym);
            symbol.binding = symbolBinding(sym);
            symbol.visibility = sym.st_other & 0x3;
            symbol.section = sym.st_shndx;
            table.push_back(symbol);
        }
    }
    return true;
}

const ElfSymbol* ElfSymbols::containing(uint64_t value, unsigned char type) const {
    for (const std::vector<ElfSymbol>* table : {&mFull, &mDynamic}) {
        for (const ElfSymbol& symbol : *table) {
            if (!symbol.defined() || symbol.type != type) continue;
            if (value >= symbol.value && value < symbol.value + (symbol.size ? symbol.size : 1)) {
                return &symbol;
            }
        }
    }
    return nullptr;
}

}  // namespace oxahost
