#include "CrashSymbolizer.h"

#include <cxxabi.h>
#include <dlfcn.h>
#include <elf.h>
#include <limits.h>
#include <stdio.h>
#include <stdlib.h>
#include <unistd.h>

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

std::string knownFunction(const std::string& function) {
    return function == "??" ? std::string() : function;
}

bool allDigits(const std::string& text) {
    return !text.empty() && text.find_first_not_of("0123456789") == std::string::npos;
}

bool onPath(const char* program) {
    const char* path = getenv("PATH");
    std::istringstream folders(path != nullptr ? path : "/usr/bin:/bin");
    for (std::string folder; std::getline(folders, folder, ':');) {
        if (!folder.empty() && access((folder + "/" + program).c_str(), X_OK) == 0) return true;
    }
    return false;
}

// elfutils writes "inner inlined at file:line in outer".
std::string knownFunctionOf(const std::string& line) {
    const size_t inlinedAt = line.find(" inlined at ");
    return knownFunction(inlinedAt == std::string::npos ? line : line.substr(0, inlinedAt));
}

// "file:line (discriminator 2)" and elfutils' "file:line:column" keep only
// file:line; unknown is empty.
std::string knownLocation(std::string location) {
    const size_t extra = location.find(" (");
    if (extra != std::string::npos) location.erase(extra);
    const size_t lastColon = location.rfind(':');
    if (lastColon != std::string::npos && lastColon > 0 &&
        allDigits(location.substr(lastColon + 1))) {
        const size_t lineColon = location.rfind(':', lastColon - 1);
        if (lineColon != std::string::npos &&
            allDigits(location.substr(lineColon + 1, lastColon - lineColon - 1))) {
            location.erase(lastColon);
        }
    }
    if (location.compare(0, 2, "??") == 0 || location.size() <= 2) return "";
    const std::string end = location.substr(location.size() - 2);
    return end == ":0" || end == ":?" ? std::string() : location;
}

// Template instances of the standard library spell out whole types; a line
// of a report only needs enough to tell the frame.
std::string shortened(const std::string& function) {
    const size_t kShownFunction = 120;
    if (function.empty()) return "??";
    return function.size() > kShownFunction ? function.substr(0, kShownFunction) + "..." : function;
}

}  // namespace

std::string CrashSymbolizer::rawFrame(const void* pc, bool returnAddress) {
    std::string line = "frame " + hex(reinterpret_cast<uintptr_t>(pc));
    Dl_info info;
    if (dladdr(pc, &info) != 0 && info.dli_fname != nullptr) {
        const uintptr_t lookup = reinterpret_cast<uintptr_t>(pc) - (returnAddress ? 1 : 0);
        line +=
            " " + hex(lookup - reinterpret_cast<uintptr_t>(info.dli_fbase)) + " " + info.dli_fname;
    }
    return line + "\n";
}

std::string CrashSymbolizer::symbolize(const std::string& raw, bool allFrames) {
    // Lines that are not frames head the frames after them.
    struct Section {
        std::vector<std::string> heading;
        std::vector<CrashFrame> frames;
    };
    std::vector<Section> sections(1);
    std::istringstream in(raw);
    for (std::string line; std::getline(in, line);) {
        CrashFrame frame;
        if (parseFrame(line, &frame)) {
            sections.back().frames.push_back(frame);
        } else {
            if (!sections.back().frames.empty()) sections.emplace_back();
            sections.back().heading.push_back(line);
        }
    }
    std::vector<CrashFrame*> all;
    for (Section& section : sections) {
        for (CrashFrame& frame : section.frames) all.push_back(&frame);
    }
    name(all);
    std::string text;
    for (const Section& section : sections) {
        for (const std::string& line : section.heading) text += line + "\n";
        text += render(section.frames, allFrames);
    }
    return text;
}

void CrashSymbolizer::name(const std::vector<CrashFrame*>& frames) {
    std::vector<CrashFrame*> known;
    for (CrashFrame* frame : frames) {
        if (!frame->library.empty()) known.push_back(frame);
    }
    nameWithAddr2line(known);
    for (CrashFrame* frame : known) {
        if (frame->function.empty()) nameFromSymbolTables(*frame);
    }
}

std::string CrashSymbolizer::render(const std::vector<CrashFrame>& frames, bool allFrames) {
    // Below the tool's own frames that called the last frame of another
    // library (the C library aside: the host library, the module), the
    // tool's frames say nothing about the module: one line.
    const std::string self = realPath("/proc/self/exe");
    auto isSelf = [&self](const CrashFrame& frame) {
        return !frame.library.empty() && realPath(frame.library) == self;
    };
    size_t lastOther = 0;
    for (size_t i = 0; i < frames.size(); ++i) {
        const std::string name = baseName(frames[i].library);
        if (!frames[i].library.empty() && !isSelf(frames[i]) && name.compare(0, 7, "libc.so") != 0)
            lastOther = i;
    }
    size_t shown = frames.size();
    for (size_t i = lastOther; i < frames.size() && !allFrames; ++i) {
        if (isSelf(frames[i])) {
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
        const Levels levels = addr2line("addr2line", entry.first, entry.second);
        for (size_t i = 0; i < levels.size() && i < entry.second.size(); ++i) {
            if (levels[i].empty()) continue;
            CrashFrame& frame = *entry.second[i];
            frame.function = levels[i].back().function;
            frame.location = levels[i].back().location;
            frame.inlined.assign(levels[i].begin(), levels[i].end() - 1);
        }
        nameInlinedCalls(entry.first, entry.second);
    }
}

// binutils' addr2line (2.40) names each inlined call of C++ code after the
// function it was inlined into; elfutils' names it right, but with the
// short name of the source (no scope, no parameters) where binutils gives
// the whole one. Each gives what it does best, when both are installed.
void CrashSymbolizer::nameInlinedCalls(const std::string& library,
                                       const std::vector<CrashFrame*>& frames) {
    std::vector<CrashFrame*> inlining;
    for (CrashFrame* frame : frames) {
        if (!frame->inlined.empty()) inlining.push_back(frame);
    }
    if (inlining.empty() || !onPath("eu-addr2line")) return;
    const Levels levels = addr2line("eu-addr2line", library, inlining);
    for (size_t i = 0; i < levels.size() && i < inlining.size(); ++i) {
        std::vector<InlinedCall>& calls = inlining[i]->inlined;
        if (levels[i].size() != calls.size() + 1) continue;
        for (size_t level = 0; level < calls.size(); ++level) {
            if (!levels[i][level].function.empty())
                calls[level].function = levels[i][level].function;
        }
    }
}

CrashSymbolizer::Levels CrashSymbolizer::addr2line(const char* program, const std::string& library,
                                                   const std::vector<CrashFrame*>& frames) {
    // -a heads each address's answer with the address; -i adds, after the
    // innermost function, each function it was inlined into.
    std::string command = std::string(program) + " -a -i -f -C -e '" + library + "'";
    for (const CrashFrame* frame : frames) command += " " + hex(frame->offset);
    command += " 2>/dev/null";
    FILE* pipe = popen(command.c_str(), "r");
    if (pipe == nullptr) return Levels();
    // Per address: its line "0x...", then pairs of lines: function, then
    // file:line ("??" unknown), innermost first; the last pair is the
    // function the code was compiled into.
    std::vector<std::vector<std::string>> answers;
    char text[4096];
    while (fgets(text, sizeof(text), pipe) != nullptr) {
        std::string line = text;
        while (!line.empty() && line.back() == '\n') line.pop_back();
        if (line.compare(0, 2, "0x") == 0) {
            answers.emplace_back();
        } else if (!answers.empty()) {
            answers.back().push_back(line);
        }
    }
    pclose(pipe);
    Levels levels(answers.size());
    for (size_t i = 0; i < answers.size(); ++i) {
        for (size_t line = 0; line + 1 < answers[i].size(); line += 2) {
            levels[i].push_back(
                {knownFunctionOf(answers[i][line]), knownLocation(answers[i][line + 1])});
        }
    }
    return levels;
}

void CrashSymbolizer::nameFromSymbolTables(CrashFrame& frame) {
    ElfSymbols symbols;
    std::string error;
    if (!symbols.read(frame.library, &error)) return;
    const ElfSymbol* symbol = symbols.containing(frame.offset, STT_FUNC);
    if (symbol != nullptr) frame.function = demangled(symbol->name);
}

std::string CrashSymbolizer::format(size_t index, const CrashFrame& frame) {
    const std::string number = "  #" + std::to_string(index) + " ";
    if (frame.library.empty()) {
        // Most often code of a module that was closed while its thread ran.
        return number + frame.pc + " (in no loaded library: code of a module closed while it ran?)";
    }
    std::string text;
    for (const InlinedCall& call : frame.inlined) {
        text += number + shortened(call.function);
        if (!call.location.empty()) text += " at " + call.location;
        text += " (inlined)\n";
    }
    text += number + shortened(frame.function);
    if (!frame.location.empty()) text += " at " + frame.location;
    return text + " (" + baseName(frame.library) + "+" + hex(frame.offset) + ")";
}

}  // namespace oxahost
