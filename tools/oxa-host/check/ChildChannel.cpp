#include "ChildChannel.h"

#include <unistd.h>

#include <mutex>

namespace oxahost {

namespace {

std::mutex sWriteLock;

// One text per line: newlines and backslashes escaped.
std::string escape(const std::string& text) {
    std::string out;
    for (char c : text) {
        if (c == '\\') {
            out += "\\\\";
        } else if (c == '\n') {
            out += "\\n";
        } else {
            out += c;
        }
    }
    return out;
}

std::string unescape(const std::string& text) {
    std::string out;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\\' && i + 1 < text.size()) {
            ++i;
            out += text[i] == 'n' ? '\n' : text[i];
        } else {
            out += text[i];
        }
    }
    return out;
}

}  // namespace

int ChildChannel::sFd = -1;

void ChildChannel::open(int fd) {
    sFd = fd;
}

void ChildChannel::step(const std::string& text) {
    writeLine('S', text);
}

void ChildChannel::causeIfItEnds(const std::string& text) {
    writeLine('C', text);
}

void ChildChannel::finish(const CheckOutcome& outcome) {
    writeLine('V', std::to_string(static_cast<int>(outcome.verdict())));
    writeLine('R', outcome.refused() ? "1" : "0");
    writeLine('D', outcome.details());
}

void ChildChannel::writeLine(char kind, const std::string& text) {
    if (sFd < 0) return;
    const std::string line = std::string(1, kind) + ":" + escape(text) + "\n";
    std::lock_guard<std::mutex> lock(sWriteLock);
    size_t written = 0;
    while (written < line.size()) {
        const ssize_t n = write(sFd, line.data() + written, line.size() - written);
        if (n <= 0) return;
        written += static_cast<size_t>(n);
    }
}

bool ChildChannel::parse(const std::string& received, CheckOutcome* outcome, std::string* lastStep,
                         std::string* cause) {
    bool haveVerdict = false;
    bool haveDetails = false;
    int verdict = 0;
    bool refused = false;
    std::string details;
    size_t start = 0;
    while (start < received.size()) {
        size_t end = received.find('\n', start);
        if (end == std::string::npos) break;  // a line cut short by a crash
        const std::string line = received.substr(start, end - start);
        start = end + 1;
        if (line.size() < 2 || line[1] != ':') continue;
        const std::string text = unescape(line.substr(2));
        if (line[0] == 'S') {
            *lastStep = text;
        } else if (line[0] == 'C' && cause != nullptr) {
            *cause = text;
        } else if (line[0] == 'V' && text.size() == 1 && text[0] >= '0' && text[0] <= '4') {
            verdict = text[0] - '0';
            haveVerdict = true;
        } else if (line[0] == 'R') {
            refused = text == "1";
        } else if (line[0] == 'D') {
            details = text;
            haveDetails = true;
        }
    }
    if (!haveVerdict || !haveDetails) return false;
    *outcome = CheckOutcome(static_cast<Verdict>(verdict), details);
    outcome->setRefused(refused);
    return true;
}

}  // namespace oxahost
