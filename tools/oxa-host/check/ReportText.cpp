#include "ReportText.h"

#include <stdio.h>

namespace oxahost {

namespace {

const char kReplacement[] = "\xef\xbf\xbd";  // U+FFFD

bool isContinuation(unsigned char c) {
    return (c & 0xc0) == 0x80;
}

// Calls `ascii(c)` for each byte below 0x80 and `sequence(text)` for each
// well-formed multi-byte sequence; an ill-formed byte is replaced.
template <typename Ascii>
std::string mapUtf8(const std::string& text, Ascii ascii) {
    std::string out;
    out.reserve(text.size() + 2);
    size_t at = 0;
    while (at < text.size()) {
        const unsigned char c = static_cast<unsigned char>(text[at]);
        if (c < 0x80) {
            ascii(c, &out);
            ++at;
            continue;
        }
        const size_t length = ReportText::utf8SequenceLength(text, at);
        if (length == 0) {
            out += kReplacement;
            ++at;
        } else {
            out.append(text, at, length);
            at += length;
        }
    }
    return out;
}

}  // namespace

size_t ReportText::utf8SequenceLength(const std::string& text, size_t at) {
    const unsigned char lead = static_cast<unsigned char>(text[at]);
    size_t length = 0;
    // The least second byte of each lead rules out overlong forms and
    // surrogates; the greatest, code points above U+10FFFF.
    unsigned char low = 0x80;
    unsigned char high = 0xbf;
    if (lead < 0x80) return 1;
    if (lead >= 0xc2 && lead <= 0xdf) {
        length = 2;
    } else if (lead >= 0xe0 && lead <= 0xef) {
        length = 3;
        if (lead == 0xe0) low = 0xa0;
        if (lead == 0xed) high = 0x9f;
    } else if (lead >= 0xf0 && lead <= 0xf4) {
        length = 4;
        if (lead == 0xf0) low = 0x90;
        if (lead == 0xf4) high = 0x8f;
    } else {
        return 0;
    }
    if (at + length > text.size()) return 0;
    const unsigned char second = static_cast<unsigned char>(text[at + 1]);
    if (second < low || second > high) return 0;
    for (size_t i = 2; i < length; ++i) {
        if (!isContinuation(static_cast<unsigned char>(text[at + i]))) return 0;
    }
    return length;
}

std::string ReportText::json(const std::string& text) {
    return "\"" +
           mapUtf8(text,
                   [](unsigned char c, std::string* out) {
                       if (c == '"' || c == '\\') {
                           *out += '\\';
                           *out += static_cast<char>(c);
                       } else if (c == '\n') {
                           *out += "\\n";
                       } else if (c == '\t') {
                           *out += "\\t";
                       } else if (c < 0x20 || c == 0x7f) {
                           char escaped[8];
                           snprintf(escaped, sizeof(escaped), "\\u%04x", c);
                           *out += escaped;
                       } else {
                           *out += static_cast<char>(c);
                       }
                   }) +
           "\"";
}

std::string ReportText::xml(const std::string& text) {
    return mapUtf8(text, [](unsigned char c, std::string* out) {
        switch (c) {
            case '&':
                *out += "&amp;";
                return;
            case '<':
                *out += "&lt;";
                return;
            case '>':
                *out += "&gt;";
                return;
            case '"':
                *out += "&quot;";
                return;
            case '\'':
                *out += "&apos;";
                return;
            case '\n':
                *out += "&#10;";
                return;
            case '\t':
                *out += "&#9;";
                return;
            case '\r':
                *out += "&#13;";
                return;
            default:
                break;
        }
        if (c < 0x20) {
            *out += kReplacement;
        } else {
            *out += static_cast<char>(c);
        }
    });
}

}  // namespace oxahost
