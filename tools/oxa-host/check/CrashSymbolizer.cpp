#include "CrashSymbolizer.h"

#include <cxxabi.h>
#include <elf.h>
#include <limits.h>
#include <stdio.h>
#include <stdlib.h>

#include <map>
#include <memory>
#include <sstream>

#include "ElfSymbols.h"

namespace oxahost {

namespace {

std::string hex(uint64_t value) {
    char text[24];
    snprintf(text, sizeof(text), "0x%llx", static_cast<unsigned long long>(value));
    return text;
}

std::string demangled(const std::string& name) {
    int status = 0;
    std::unique_ptr<char, decltype(&free)> text(
        abi::__cxa_demangle(name.c_str(), nullptr, nullptr, &status), &free);
    return status == 0 && text ? std::string(text.get()) : name;
}

std::string baseName(const std::string& path) {
    const size_t slash = path.rfind('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

std::string realPath(const std::string& path) {
    char resolved[PATH_MAX];
    return realpath(path.c_str(), resolved) != nullptr ? std::string(resolved) : path;
}

// Only characters a path of the loader's can hold, so the path is safe to
// hand to the shell quoted.
bool quotable(const std::string& path) {
    return path.find_first_of("'\n") == std::string::npos;
}

// "frame PC [OFFSET LIBRARY]"
bool parseFrame(const std::string& line, CrashFrame* frame) {
    if (line.compare(0, 6, "frame ") != 0) return false;
    std::istringstream in(line.substr(6));
    std::string offset;
    in >> frame->pc >> offset;
    std::getline(in >> std::ws, frame->library);
    if (!offset.empty()) frame->offset = strtoull(offset.c_str(), nullptr, 16);
    return true;
}

}  // namespace

std::string CrashSymbolizer::symbolize(const std::string& raw) {
    std::vector<std::string> heading;
    std::vector<CrashFrame> frames;
    std::istringstream in(raw);
    for (std::string line; std::getline(in, line);) {
        CrashFrame frame;
        if (parseFrame(line, &frame)) {
            frames.push_back(frame);
        } else {
            heading.push_back(line);
        }
    }
    name(frames);
    std::string text;
    for (const std::string& line : heading) text += line + "\n";
    return text + render(frames);
}

void CrashSymbolizer::name(std::vector<CrashFrame>& frames) {
    std::vector<CrashFrame*> known;
    for (CrashFrame& frame : frames) {
        if (!frame.library.empty()) known.push_back(&frame);
    }
    nameWithAddr2line(known);
    for (CrashFrame* frame : known) {
        if (frame->function.empty()) nameFromSymbolTables(*frame);
    }
}

std::string CrashSymbolizer::render(const std::vector<CrashFrame>& frames) {
    // Below the first frame of the tool itself (its call into the host
    // library), the tool's frames say nothing about the module: one line.
    const std::string self = realPath("/proc/self/exe");
    size_t shown = frames.size();
    for (size_t i = 0; i < frames.size(); ++i) {
        if (!frames[i].library.empty() && realPath(frames[i].library) == self) {
            shown = i + 1;
            break;
        }
    }
    std::string text;
    for (size_t i = 0; i < shown; ++i) text += format(i, frames[i]) + "\n";
    if (shown < frames.size()) {
        text += "  ... " + std::to_string(frames.size() - shown) + " frames of " + baseName(self) +
                " and its start\n";
    }
    return text;
}

void CrashSymbolizer::nameWithAddr2line(std::vector<CrashFrame*>& frames) {
    std::map<std::string, std::vector<CrashFrame*>> byLibrary;
    for (CrashFrame* frame : frames) byLibrary[frame->library].push_back(frame);
    for (auto& entry : byLibrary) {
        if (!quotable(entry.first)) continue;
        std::string command = "addr2line -f -C -e '" + entry.first + "'";
        for (const CrashFrame* frame : entry.second) command += " " + hex(frame->offset);
        command += " 2>/dev/null";
        FILE* pipe = popen(command.c_str(), "r");
        if (pipe == nullptr) continue;
        // Two lines an address: the function, then file:line ("??" unknown).
        char line[4096];
        for (CrashFrame* frame : entry.second) {
            std::string function, location;
            if (fgets(line, sizeof(line), pipe) == nullptr) break;
            function = line;
            if (fgets(line, sizeof(line), pipe) == nullptr) break;
            location = line;
            while (!function.empty() && function.back() == '\n') function.pop_back();
            while (!location.empty() && location.back() == '\n') location.pop_back();
            // "file:line (discriminator 2)" keeps only file:line.
            const size_t extra = location.find(" (");
            if (extra != std::string::npos) location.erase(extra);
            if (function != "??") frame->function = function;
            if (location.compare(0, 2, "??") != 0 && location.size() > 2 &&
                location.compare(location.size() - 2, 2, ":0") != 0 &&
                location.compare(location.size() - 2, 2, ":?") != 0) {
                frame->location = location;
            }
        }
        pclose(pipe);
    }
}

void CrashSymbolizer::nameFromSymbolTables(CrashFrame& frame) {
    ElfSymbols symbols;
    std::string error;
    if (!symbols.read(frame.library, &error)) return;
    const ElfSymbol* symbol = symbols.containing(frame.offset, STT_FUNC);
    if (symbol != nullptr) frame.function = demangled(symbol->name);
}

std::string CrashSymbolizer::format(size_t index, const CrashFrame& frame) {
    if (frame.library.empty()) {
        // Most often code of a module that was closed while its thread ran.
        return "  #" + std::to_string(index) + " " + frame.pc +
               " (in no loaded library: code of a module closed while it ran?)";
    }
    // Template instances of the standard library spell out whole types; a
    // line of a report only needs enough to tell the frame.
    const size_t kShownFunction = 120;
    std::string function = frame.function.empty() ? std::string("??") : frame.function;
    if (function.size() > kShownFunction) function = function.substr(0, kShownFunction) + "...";
    std::string text = "  #" + std::to_string(index) + " " + function;
    if (!frame.location.empty()) text += " at " + frame.location;
    return text + " (" + baseName(frame.library) + "+" + hex(frame.offset) + ")";
}

}  // namespace oxahost
