// The text a version-1 module receives for a stream decodes back to the
// stream's bytes and id.
#include <stdio.h>
#include <string.h>

#include <string>

#include "FuzzClient.h"
#include "LogCapture.h"

namespace {

// The stream text of `size` bytes with `id`, as the library builds it: the
// text the version-1 test module's sendCommand() received.
std::string streamTextOf(fuzz::LoadedClient& loaded, const uint8_t* bytes, size_t size, int id) {
    loaded.module().reset();
    loaded.client().sendStream(bytes, static_cast<long>(size), id);
    const std::string call = loaded.onlyCall();
    const std::string prefix = "sendCommand:";
    if (call.compare(0, prefix.size(), prefix) != 0) fuzz::fail("no command for the stream");
    return call.substr(prefix.size());
}

int hexValue(char digit) {
    if (digit >= '0' && digit <= '9') return digit - '0';
    if (digit >= 'a' && digit <= 'f') return digit - 'a' + 10;
    return -1;  // upper case is not the library's form either
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static fuzz::LoadedClient loaded("oxa_wave_v1");
    if (size < 4) return 0;
    int id = 0;
    memcpy(&id, data, sizeof(id));
    LogCapture::clear();
    const std::string text = streamTextOf(loaded, data + 4, size - 4, id);

    char header[32];
    snprintf(header, sizeof(header), "stream:%d:", id);
    if (text.compare(0, strlen(header), header) != 0) fuzz::fail("header of " + text);
    const std::string hex = text.substr(strlen(header));
    if (hex.size() != 2 * (size - 4)) fuzz::fail("length of " + text);
    for (size_t i = 0; i < size - 4; ++i) {
        const int high = hexValue(hex[2 * i]);
        const int low = hexValue(hex[2 * i + 1]);
        if (high < 0 || low < 0 || (high << 4 | low) != data[4 + i]) {
            fuzz::fail("byte " + std::to_string(i) + " of " + text);
        }
    }
    return 0;
}
