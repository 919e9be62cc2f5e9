#include "ProcessProbe.h"

#include <dirent.h>
#include <limits.h>
#include <link.h>
#include <malloc.h>
#include <stdio.h>
#include <stdlib.h>
#include <unistd.h>

#include <thread>
#include <vector>

#include "SanitizerBuild.h"

#define OXA_HOST_SANITIZER_HEAP (OXA_HOST_ADDRESS_SANITIZER || OXA_HOST_THREAD_SANITIZER)
#if OXA_HOST_SANITIZER_HEAP
// From the sanitizer runtime's allocator interface; declared here, as gcc
// ships no header for it.
extern "C" size_t __sanitizer_get_current_allocated_bytes(void);
#endif

namespace oxahost {

namespace {

std::vector<int> numericEntries(const char* path) {
    std::vector<int> numbers;
    DIR* dir = opendir(path);
    if (dir == nullptr) return numbers;
    while (struct dirent* entry = readdir(dir)) {
        char* end = nullptr;
        const long number = strtol(entry->d_name, &end, 10);
        if (end != entry->d_name && *end == '\0') numbers.push_back(static_cast<int>(number));
    }
    closedir(dir);
    return numbers;
}

}  // namespace

std::map<int, std::string> ProcessProbe::openFiles() {
    // Read the list first: the directory's own descriptor is open meanwhile.
    const std::vector<int> fds = numericEntries("/proc/self/fd");
    std::map<int, std::string> files;
    for (int fd : fds) {
        char link[64];
        char target[PATH_MAX];
        snprintf(link, sizeof(link), "/proc/self/fd/%d", fd);
        const ssize_t length = readlink(link, target, sizeof(target) - 1);
        if (length < 0) continue;  // the directory's own descriptor, gone
        files[fd] = std::string(target, static_cast<size_t>(length));
    }
    return files;
}

long ProcessProbe::residentBytes() {
    FILE* file = fopen("/proc/self/statm", "r");
    if (file == nullptr) return -1;
    long size = 0;
    long resident = -1;
    if (fscanf(file, "%ld %ld", &size, &resident) != 2) resident = -1;
    fclose(file);
    return resident < 0 ? -1 : resident * sysconf(_SC_PAGESIZE);
}

long ProcessProbe::heapBytes() {
#if OXA_HOST_SANITIZER_HEAP
    // The sanitizer's allocator replaces the C library's.
    return static_cast<long>(__sanitizer_get_current_allocated_bytes());
#else
    const struct mallinfo2 info = mallinfo2();
    return static_cast<long>(info.uordblks + info.hblkhd);
#endif
}

void ProcessProbe::startRuntimeThreads() {
    std::thread([] {}).join();
}

std::set<std::string> ProcessProbe::loadedLibraries() {
    std::set<std::string> paths;
    dl_iterate_phdr(
        [](struct dl_phdr_info* info, size_t, void* data) {
            if (info->dlpi_name != nullptr && info->dlpi_name[0] != '\0')
                static_cast<std::set<std::string>*>(data)->insert(info->dlpi_name);
            return 0;
        },
        &paths);
    return paths;
}

std::map<int, std::string> ProcessProbe::threads() {
    std::map<int, std::string> names;
    for (int tid : numericEntries("/proc/self/task")) {
        char path[64];
        snprintf(path, sizeof(path), "/proc/self/task/%d/comm", tid);
        FILE* file = fopen(path, "r");
        if (file == nullptr) continue;  // ended meanwhile
        char name[64] = "";
        if (fgets(name, sizeof(name), file) == nullptr) name[0] = '\0';
        fclose(file);
        std::string text = name;
        while (!text.empty() && text.back() == '\n') text.pop_back();
        names[tid] = text;
    }
    return names;
}

}  // namespace oxahost
