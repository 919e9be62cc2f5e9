#include "CommandText.h"

#include <ctype.h>
#include <limits.h>
#include <string.h>

namespace android {

int32_t CommandText::parseObjectId(const char* text) {
    while (isspace(static_cast<unsigned char>(*text))) ++text;
    bool negative = false;
    if (*text == '+' || *text == '-') negative = (*text++ == '-');
    long long value = 0;
    for (; isdigit(static_cast<unsigned char>(*text)); ++text) {
        value = value * 10 + (*text - '0');
        if (value > static_cast<long long>(INT_MAX) + 1) break;
    }
    if (negative) value = -value;
    if (value > INT_MAX) return INT_MAX;
    if (value < INT_MIN) return INT_MIN;
    return static_cast<int32_t>(value);
}

std::vector<std::string> CommandText::wordsAfterCommandWord(const char* command, size_t limit) {
    std::vector<std::string> words;
    const char* cursor = command;
    bool commandWordSeen = false;
    while (*cursor != '\0' && words.size() < limit) {
        while (*cursor == ' ') ++cursor;
        if (*cursor == '\0') break;
        const char* end = strchr(cursor, ' ');
        if (end == nullptr) end = cursor + strlen(cursor);
        if (commandWordSeen) {
            words.emplace_back(cursor, end);
        } else {
            commandWordSeen = true;
        }
        cursor = end;
    }
    return words;
}

CommandText::InitClientFields CommandText::initClientFields(const std::string& fields) {
    InitClientFields result;
    const size_t first = fields.find(':');
    result.packageName = fields.substr(0, first);
    const std::string rest = first == std::string::npos ? fields : fields.substr(first + 1);
    const size_t second = rest.find(':');
    result.moduleFileName = rest.substr(0, second);
    result.libPath = second == std::string::npos ? rest : rest.substr(second + 1);
    return result;
}

}  // namespace android
