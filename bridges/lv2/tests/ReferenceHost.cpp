#include "ReferenceHost.h"

#include <fcntl.h>
#include <signal.h>
#include <stdint.h>
#include <string.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <fstream>
#include <sstream>
#include <thread>

namespace {

const uint16_t kFloatFormat = 3;

void put32(std::ofstream& out, uint32_t value) {
    out.write(reinterpret_cast<const char*>(&value), 4);
}

void put16(std::ofstream& out, uint16_t value) {
    out.write(reinterpret_cast<const char*>(&value), 2);
}

uint32_t get32(const std::string& bytes, size_t at) {
    uint32_t value = 0;
    memcpy(&value, bytes.data() + at, 4);
    return value;
}

uint16_t get16(const std::string& bytes, size_t at) {
    uint16_t value = 0;
    memcpy(&value, bytes.data() + at, 2);
    return value;
}

}  // namespace

bool writeFloatWav(const std::string& path, const std::vector<float>& frames, int channels,
                   int sampleRate) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    const uint32_t dataBytes = static_cast<uint32_t>(frames.size() * sizeof(float));
    out.write("RIFF", 4);
    put32(out, 36 + dataBytes);
    out.write("WAVEfmt ", 8);
    put32(out, 16);
    put16(out, kFloatFormat);
    put16(out, static_cast<uint16_t>(channels));
    put32(out, static_cast<uint32_t>(sampleRate));
    put32(out, static_cast<uint32_t>(sampleRate * channels * sizeof(float)));
    put16(out, static_cast<uint16_t>(channels * sizeof(float)));
    put16(out, 32);
    out.write("data", 4);
    put32(out, dataBytes);
    out.write(reinterpret_cast<const char*>(frames.data()), dataBytes);
    return static_cast<bool>(out);
}

bool readFloatWav(const std::string& path, std::vector<float>& frames, int& channels) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream content;
    content << in.rdbuf();
    const std::string bytes = content.str();
    if (bytes.size() < 12 || bytes.compare(0, 4, "RIFF") != 0 || bytes.compare(8, 4, "WAVE") != 0)
        return false;
    bool isFloat = false;
    // The chunks after the header: fmt, data, and any others (skipped).
    for (size_t at = 12; at + 8 <= bytes.size();) {
        const uint32_t size = get32(bytes, at + 4);
        if (bytes.compare(at, 4, "fmt ") == 0 && at + 8 + 16 <= bytes.size()) {
            isFloat = get16(bytes, at + 8) == kFloatFormat && get16(bytes, at + 22) == 32;
            channels = get16(bytes, at + 10);
        } else if (bytes.compare(at, 4, "data") == 0 && isFloat) {
            const size_t length = size < bytes.size() - at - 8 ? size : bytes.size() - at - 8;
            frames.resize(length / sizeof(float));
            memcpy(frames.data(), bytes.data() + at + 8, frames.size() * sizeof(float));
            return true;
        }
        at += 8 + size + (size & 1);
    }
    return false;
}

bool runLv2apply(const std::string& uri, const std::vector<std::string>& controls,
                 const std::string& input, const std::string& output, const std::string& lv2Path,
                 std::string& why) {
    std::vector<std::string> words = {"lv2apply", "-i", input, "-o", output};
    for (const std::string& control : controls) {
        const size_t space = control.find(' ');
        words.insert(words.end(), {"-c", control.substr(0, space), control.substr(space + 1)});
    }
    words.push_back(uri);
    std::vector<char*> argv;
    for (std::string& word : words) argv.push_back(&word[0]);
    argv.push_back(nullptr);
    const std::string log = output + ".log";
    const pid_t child = fork();
    if (child == 0) {
        const int fd = open(log.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        dup2(fd, STDOUT_FILENO);
        dup2(fd, STDERR_FILENO);
        setenv("LV2_PATH", lv2Path.c_str(), 1);
        execvp("lv2apply", argv.data());
        _exit(127);
    }
    int status = 0;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
    while (waitpid(child, &status, WNOHANG) == 0) {
        if (std::chrono::steady_clock::now() > deadline) {
            kill(child, SIGKILL);
            waitpid(child, &status, 0);
            why = "lv2apply ran over 60 s";
            return false;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    if (WIFEXITED(status) && WEXITSTATUS(status) == 0) return true;
    std::ifstream text(log);
    std::stringstream content;
    content << text.rdbuf();
    why = "lv2apply failed: " + content.str();
    return false;
}
