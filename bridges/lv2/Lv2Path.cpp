#include "Lv2Path.h"

#include <dirent.h>
#include <stdlib.h>
#include <sys/stat.h>

#include <algorithm>
#include <sstream>

namespace wavelv2 {

namespace {

#ifndef WAVE_LV2_DEFAULT_PATH
#define WAVE_LV2_DEFAULT_PATH "~/.lv2:/usr/lib/lv2:/usr/local/lib/lv2"
#endif

bool endsWith(const std::string& text, const std::string& end) {
    return text.size() >= end.size() &&
           text.compare(text.size() - end.size(), end.size(), end) == 0;
}

bool isFolder(const std::string& path) {
    struct stat info;
    return stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

std::vector<std::string> bundlesIn(const std::string& folder) {
    std::vector<std::string> names;
    DIR* directory = opendir(folder.c_str());
    if (directory == nullptr) return names;
    while (const dirent* entry = readdir(directory)) {
        const std::string name = entry->d_name;
        if (endsWith(name, ".lv2") && isFolder(folder + "/" + name)) names.push_back(name);
    }
    closedir(directory);
    std::sort(names.begin(), names.end());
    for (std::string& name : names) name = folder + "/" + name + "/";
    return names;
}

}  // namespace

std::vector<std::string> lv2Folders(const std::string& path) {
    std::vector<std::string> folders;
    std::istringstream parts(path);
    const char* home = getenv("HOME");
    for (std::string folder; std::getline(parts, folder, ':');) {
        if (folder.rfind("~/", 0) == 0) {
            if (home == nullptr) continue;
            folder = home + folder.substr(1);
        }
        if (!folder.empty()) folders.push_back(folder);
    }
    return folders;
}

std::vector<std::string> findBundles() {
    const char* path = getenv("LV2_PATH");
    std::vector<std::string> bundles;
    for (const std::string& folder :
         lv2Folders(path != nullptr && *path != '\0' ? path : WAVE_LV2_DEFAULT_PATH)) {
        const std::vector<std::string> found = bundlesIn(folder);
        bundles.insert(bundles.end(), found.begin(), found.end());
    }
    return bundles;
}

}  // namespace wavelv2
