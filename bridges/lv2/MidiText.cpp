#include "MidiText.h"

#include <sstream>

namespace wavelv2 {

namespace {

bool parseByte(const std::string& word, uint8_t& byte) {
    if (word.empty() || word.size() > 2) return false;
    unsigned value = 0;
    for (char c : word) {
        value *= 16;
        if (c >= '0' && c <= '9') {
            value += c - '0';
        } else if (c >= 'a' && c <= 'f') {
            value += c - 'a' + 10;
        } else if (c >= 'A' && c <= 'F') {
            value += c - 'A' + 10;
        } else {
            return false;
        }
    }
    byte = static_cast<uint8_t>(value);
    return true;
}

// Bytes of a message starting with `status`; 0 for system exclusive, which
// ends at F7.
size_t messageLength(uint8_t status) {
    if (status < 0xF0) return (status & 0xE0) == 0xC0 ? 2 : 3;
    switch (status) {
        case 0xF0:
            return 0;
        case 0xF1:
        case 0xF3:
            return 2;
        case 0xF2:
            return 3;
        default:
            return 1;
    }
}

bool complete(const MidiMessage& message) {
    const size_t length = messageLength(message[0]);
    return length == 0 ? message.back() == 0xF7 : message.size() == length;
}

}  // namespace

bool parseMidiText(const std::string& text, std::vector<MidiMessage>& messages, std::string& why) {
    messages.clear();
    std::istringstream words(text);
    std::string word;
    MidiMessage current;
    while (words >> word) {
        uint8_t byte = 0;
        if (!parseByte(word, byte)) {
            why = "not a MIDI byte in hexadecimal: " + word;
            return false;
        }
        if (current.empty() && byte < 0x80) {
            why = "MIDI data without a status byte: " + word;
            return false;
        }
        if (!current.empty() && byte >= 0x80 && current[0] != 0xF0) {
            why = "a MIDI message is cut short";
            return false;
        }
        current.push_back(byte);
        if (complete(current)) {
            messages.push_back(current);
            current.clear();
        }
    }
    if (!current.empty()) {
        why = "a MIDI message is cut short";
        return false;
    }
    if (messages.empty()) {
        why = "no MIDI bytes";
        return false;
    }
    return true;
}

}  // namespace wavelv2
