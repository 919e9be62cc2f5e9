// Splits a module command into its first word and the rest.
#ifndef OVIK_JVM_COMMAND_WORDS_H
#define OVIK_JVM_COMMAND_WORDS_H

#include <stdlib.h>

#include <string>
#include <utility>

// The text before the first space, and the text after it (empty without one).
inline std::pair<std::string, std::string> splitFirstWord(const std::string& text) {
    const size_t space = text.find(' ');
    if (space == std::string::npos) return {text, std::string()};
    return {text.substr(0, space), text.substr(space + 1)};
}

// The leading number of `text` and the text after the number's word.
inline std::pair<long, std::string> splitNumber(const std::string& text) {
    std::pair<std::string, std::string> parts = splitFirstWord(text);
    return {strtol(parts.first.c_str(), nullptr, 10), parts.second};
}

#endif  // OVIK_JVM_COMMAND_WORDS_H
