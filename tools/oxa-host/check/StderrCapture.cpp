#include "StderrCapture.h"

#include <stdio.h>
#include <sys/mman.h>
#include <unistd.h>

#include <map>
#include <vector>

namespace oxahost {

namespace {

std::string readFrom(int fd) {
    std::string text;
    if (lseek(fd, 0, SEEK_SET) != 0) return text;
    char buffer[4096];
    for (;;) {
        const ssize_t n = read(fd, buffer, sizeof(buffer));
        if (n <= 0) return text;
        text.append(buffer, static_cast<size_t>(n));
    }
}

void writeAll(int fd, const std::string& text) {
    size_t done = 0;
    while (done < text.size()) {
        const ssize_t n = write(fd, text.data() + done, text.size() - done);
        if (n <= 0) return;
        done += static_cast<size_t>(n);
    }
}

}  // namespace

StderrCapture::StderrCapture() {
    fflush(stderr);
    mFile = memfd_create("oxa-host-stderr", MFD_CLOEXEC);
    if (mFile < 0) return;
    mSaved = dup(STDERR_FILENO);
    if (mSaved < 0 || dup2(mFile, STDERR_FILENO) < 0) {
        if (mSaved >= 0) close(mSaved);
        close(mFile);
        mSaved = mFile = -1;
    }
}

StderrCapture::~StderrCapture() {
    release();
}

std::string StderrCapture::release() {
    if (mFile < 0) return "";
    fflush(stderr);
    dup2(mSaved, STDERR_FILENO);
    close(mSaved);
    const std::string text = readFrom(mFile);
    close(mFile);
    mSaved = mFile = -1;

    // Each distinct line once, in the order they first came.
    std::vector<std::string> order;
    std::map<std::string, long> counts;
    size_t start = 0;
    long lines = 0;
    while (start < text.size()) {
        size_t end = text.find('\n', start);
        if (end == std::string::npos) end = text.size();
        const std::string line = text.substr(start, end - start);
        start = end + 1;
        ++lines;
        if (counts[line]++ == 0) order.push_back(line);
    }
    std::string shown;
    std::string frequent;
    long most = 0;
    for (const std::string& line : order) {
        const long count = counts[line];
        shown += line + (count > 1 ? " [" + std::to_string(count) + " times]" : "") + "\n";
        if (count > most) {
            most = count;
            frequent = line;
        }
    }
    writeAll(STDERR_FILENO, shown);
    if (lines == 0) return "";
    return "the module wrote " + std::to_string(lines) + " lines to the standard error (" +
           std::to_string(order.size()) + " distinct), the most frequent " + std::to_string(most) +
           " times: \"" + frequent + "\"";
}

}  // namespace oxahost
