// Reading the texts of the command protocol: the object id at the end of a
// client name, the words of a command, the fields of "init_client:".
#ifndef COMMAND_TEXT_H
#define COMMAND_TEXT_H

#include <stddef.h>
#include <stdint.h>

#include <string>
#include <vector>

namespace android {

class CommandText {
public:
    // The decimal number at the start of `text`, read as atoi reads it,
    // clamped to the int range instead of overflowing.
    static int32_t parseObjectId(const char* text);
    // The words of `command` after its first word, split at single spaces
    // with runs of spaces collapsing; at most `limit` words.
    static std::vector<std::string> wordsAfterCommandWord(const char* command, size_t limit);

    // "<package>:<file>:<path>", the text after "init_client:". A missing
    // colon leaves the later fields as the text after the last one found.
    struct InitClientFields {
        std::string packageName;
        std::string moduleFileName;
        std::string libPath;
    };
    static InitClientFields initClientFields(const std::string& fields);
};

}  // namespace android

#endif  // COMMAND_TEXT_H
