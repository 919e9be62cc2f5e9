#include "ThreadLedger.h"

#include <link.h>
#include <stdio.h>
#include <string.h>

#include <atomic>
#include <map>
#include <thread>

#include "CrashSymbolizer.h"
#include "ProcessProbe.h"
#include "ThreadSampler.h"

namespace oxahost {

namespace {

const int kRecords = 32;
const int kLibraries = 16;

struct ThreadSlot {
    std::atomic<int> tid{0};  // 0: free; set last, once the record is written
    LedgerRecord record;
};

struct LibrarySlot {
    std::atomic<bool> used{false};
    char path[512];
    uintptr_t base;
    uintptr_t start;
    uintptr_t end;
};

ThreadSlot sThreads[kRecords];
LibrarySlot sLibraries[kLibraries];
std::atomic<unsigned> sDestroys{0};

void copyText(char* to, size_t size, const std::string& text) {
    snprintf(to, size, "%s", text.c_str());
}

// Whole lines of `raw` that fit in `size` bytes with the terminator.
std::string wholeLines(const std::string& raw, size_t size) {
    if (raw.size() < size) return raw;
    const size_t end = raw.rfind('\n', size - 2);
    return end == std::string::npos ? std::string() : raw.substr(0, end + 1);
}

struct LoadedLibrary {
    uintptr_t base = 0;
    uintptr_t start = 0;
    uintptr_t end = 0;
};

std::map<std::string, LoadedLibrary> loadedLibraries() {
    std::map<std::string, LoadedLibrary> libraries;
    dl_iterate_phdr(
        [](struct dl_phdr_info* info, size_t, void* data) {
            if (info->dlpi_name == nullptr || info->dlpi_name[0] == '\0') return 0;
            LoadedLibrary library;
            library.base = info->dlpi_addr;
            library.start = UINTPTR_MAX;
            for (int i = 0; i < info->dlpi_phnum; ++i) {
                const ElfW(Phdr)& segment = info->dlpi_phdr[i];
                if (segment.p_type != PT_LOAD) continue;
                const uintptr_t start = info->dlpi_addr + segment.p_vaddr;
                if (start < library.start) library.start = start;
                if (start + segment.p_memsz > library.end) library.end = start + segment.p_memsz;
            }
            (*static_cast<std::map<std::string, LoadedLibrary>*>(data))[info->dlpi_name] = library;
            return 0;
        },
        &libraries);
    return libraries;
}

bool stillLoaded(const std::string& path) {
    return loadedLibraries().count(path) != 0;
}

// Every library the module brought is still mapped (kept loaded): its
// threads can be interrupted without waking into closed code.
bool moduleStillLoaded() {
    bool any = false;
    for (const LibrarySlot& slot : sLibraries) {
        if (!slot.used.load()) continue;
        if (!stillLoaded(slot.path)) return false;
        any = true;
    }
    return any;
}

bool mentionsModuleLibrary(const std::string& raw) {
    for (const LibrarySlot& slot : sLibraries) {
        if (slot.used.load() && raw.find(std::string(" ") + slot.path + "\n") != std::string::npos)
            return true;
    }
    return false;
}

// A thread just started may not have reached the module's code yet: it is
// asked again a few times, briefly, until its frames show the module's.
std::string framesInModule(int tid) {
    const int kTries = 5;
    std::string raw;
    for (int attempt = 0; attempt < kTries; ++attempt) {
        if (attempt > 0) std::this_thread::sleep_for(std::chrono::milliseconds(10));
        raw = ThreadSampler::rawFrames(tid);
        if (raw.empty() || mentionsModuleLibrary(raw)) break;
    }
    return raw;
}

std::string indented(const std::string& lines) {
    std::string text;
    size_t start = 0;
    while (start < lines.size()) {
        size_t end = lines.find('\n', start);
        if (end == std::string::npos) end = lines.size();
        text += "  " + lines.substr(start, end - start) + "\n";
        start = end + 1;
    }
    return text;
}

}  // namespace

ThreadLedger::ThreadLedger() {
    ProcessProbe::startRuntimeThreads();
    for (const auto& thread : ProcessProbe::threads()) {
        mOwnThreads.insert(thread.first);
        mOwnNames.insert(thread.second);
    }
    for (const auto& library : loadedLibraries()) mOwnLibraries.insert(library.first);
}

ThreadLedger::~ThreadLedger() {
    for (ThreadSlot& slot : sThreads) slot.tid.store(0);
    for (LibrarySlot& slot : sLibraries) slot.used.store(false);
}

void ThreadLedger::observe(const std::string& step) {
    recordLibraries();
    recordNewThreads(step);
}

void ThreadLedger::destroyed() {
    sDestroys.fetch_add(1);
    // Threads that appeared during destroy: their code may be closed
    // already, so they are not sampled.
    recordNewThreads("destroy");
}

bool ThreadLedger::inherited(const std::string& name) const {
    // A new thread carries the name of the thread that started it until it
    // names itself: the tool's own, or the library's, here.
    return mOwnNames.count(name) != 0;
}

void ThreadLedger::recordNewThreads(const std::string& step) {
    const std::map<int, std::string> threads = ProcessProbe::threads();
    for (ThreadSlot& slot : sThreads) {
        const int tid = slot.tid.load();
        if (tid != 0 && threads.count(tid) == 0) slot.tid.store(0);
    }
    const bool sample = step != "destroy";
    for (const auto& thread : threads) {
        if (mOwnThreads.count(thread.first) != 0 || recordOf(thread.first) != nullptr) continue;
        ThreadSlot* free = nullptr;
        for (ThreadSlot& slot : sThreads) {
            if (slot.tid.load() == 0) {
                free = &slot;
                break;
            }
        }
        if (free == nullptr) return;
        LedgerRecord& record = free->record;
        copyText(record.name, sizeof(record.name), inherited(thread.second) ? "" : thread.second);
        copyText(record.step, sizeof(record.step), step);
        const std::string raw = sample ? framesInModule(thread.first) : std::string();
        copyText(record.rawFrames, sizeof(record.rawFrames),
                 wholeLines(raw, sizeof(record.rawFrames)));
        record.destroysBefore = sDestroys.load();
        free->tid.store(thread.first, std::memory_order_release);
    }
}

void ThreadLedger::recordLibraries() {
    for (const auto& library : loadedLibraries()) {
        if (mOwnLibraries.count(library.first) != 0) continue;
        LibrarySlot* slot = nullptr;
        for (LibrarySlot& candidate : sLibraries) {
            if (candidate.used.load() && library.first == candidate.path) slot = &candidate;
        }
        for (LibrarySlot& candidate : sLibraries) {
            if (slot == nullptr && !candidate.used.load()) slot = &candidate;
        }
        if (slot == nullptr) return;
        slot->used.store(false);
        copyText(slot->path, sizeof(slot->path), library.first);
        slot->base = library.second.base;
        slot->start = library.second.start;
        slot->end = library.second.end;
        slot->used.store(true, std::memory_order_release);
    }
}

std::vector<ThreadLedger::Thread> ThreadLedger::stillRunning(std::chrono::milliseconds grace) {
    const auto deadline = std::chrono::steady_clock::now() + grace;
    std::vector<Thread> left;
    for (;;) {
        left.clear();
        const std::map<int, std::string> threads = ProcessProbe::threads();
        for (const ThreadSlot& slot : sThreads) {
            const int tid = slot.tid.load(std::memory_order_acquire);
            if (tid == 0 || threads.count(tid) == 0) continue;
            Thread thread;
            thread.tid = tid;
            thread.name = slot.record.name;
            thread.step = slot.record.step;
            left.push_back(thread);
        }
        if (left.empty() || std::chrono::steady_clock::now() >= deadline) break;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    // With the module's code still mapped (a library kept loaded) the
    // thread can be asked where it is now; else it would fault on waking.
    const bool sampleNow = moduleStillLoaded();
    for (Thread& thread : left) {
        const std::string now = sampleNow ? ThreadSampler::rawFrames(thread.tid) : "";
        const LedgerRecord* record = recordOf(thread.tid);
        const std::string raw = !now.empty() ? now : record != nullptr ? record->rawFrames : "";
        if (raw.empty()) continue;
        thread.frames =
            std::string(!now.empty() ? "its frames now:\n" : "its frames when first seen:\n") +
            indented(CrashSymbolizer::symbolize(raw, true));
    }
    return left;
}

std::string ThreadLedger::describe(const Thread& thread) {
    const std::string where =
        "tid " + std::to_string(thread.tid) + ", first seen after \"" + thread.step + "\")";
    return thread.name.empty() ? "an unnamed thread (" + where
                               : "\"" + thread.name + "\" (" + where;
}

std::string ThreadLedger::report(const std::vector<Thread>& threads, const std::string& lead) {
    std::string names;
    std::string frames;
    for (const Thread& thread : threads) {
        names += (names.empty() ? "" : ", ") + describe(thread);
        if (!thread.frames.empty()) frames += "\n" + describe(thread) + ", " + thread.frames;
    }
    while (!frames.empty() && frames.back() == '\n') frames.pop_back();
    return std::to_string(threads.size()) + " " + lead + ": " + names + frames;
}

const LedgerRecord* ThreadLedger::recordOf(int tid) {
    for (const ThreadSlot& slot : sThreads) {
        if (tid != 0 && slot.tid.load(std::memory_order_acquire) == tid) return &slot.record;
    }
    return nullptr;
}

bool ThreadLedger::outlivedDestroy(const LedgerRecord& record) {
    return sDestroys.load() > record.destroysBefore;
}

bool ThreadLedger::closedLibraryOf(uintptr_t pc, uintptr_t* offset, const char** path) {
    for (const LibrarySlot& slot : sLibraries) {
        if (!slot.used.load(std::memory_order_acquire)) continue;
        if (pc >= slot.start && pc < slot.end) {
            *offset = pc - slot.base;
            *path = slot.path;
            return true;
        }
    }
    return false;
}

}  // namespace oxahost
