// Text of the machine-readable reports. A module's answers and log lines end
// up in a check's details, so the text may hold any byte: what is valid UTF-8
// is kept as it is, each byte that is not becomes U+FFFD, and what JSON or
// XML cannot carry literally is escaped.
#ifndef OXA_HOST_REPORT_TEXT_H
#define OXA_HOST_REPORT_TEXT_H

#include <stddef.h>

#include <string>

namespace oxahost {

class ReportText {
public:
    // A JSON string literal, quotes included.
    static std::string json(const std::string& text);
    // Text for an XML 1.0 attribute value or element, without the quotes.
    // XML 1.0 cannot carry most control characters even escaped; they
    // become U+FFFD too, as a reader would otherwise reject the file.
    static std::string xml(const std::string& text);
    // The length of the well-formed UTF-8 sequence at text[at] (1 to 4), or
    // 0 when the byte there does not start one.
    static size_t utf8SequenceLength(const std::string& text, size_t at);
};

}  // namespace oxahost

#endif  // OXA_HOST_REPORT_TEXT_H
