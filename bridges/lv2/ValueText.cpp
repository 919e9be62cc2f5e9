#include "ValueText.h"

#include <cmath>

namespace wavelv2 {

namespace {

class Writer {
public:
    Writer(char* out, size_t room) : mOut(out), mRoom(room), mUsed(0) {}
    ~Writer() { mOut[mUsed] = '\0'; }

    void put(char c) {
        if (mUsed + 1 < mRoom) mOut[mUsed++] = c;
    }
    void put(const char* text) {
        while (*text != '\0') put(*text++);
    }
    void digits(unsigned long long value, int minimum) {
        char reversed[24];
        int count = 0;
        do {
            reversed[count++] = static_cast<char>('0' + value % 10);
            value /= 10;
        } while ((value > 0 || count < minimum) && count < 24);
        while (count > 0) put(reversed[--count]);
    }

private:
    char* mOut;
    size_t mRoom;
    size_t mUsed;
};

// Values beyond this are written as "inf": the digits would not fit.
const double kLargest = 1e15;

}  // namespace

void formatControl(char* out, size_t room, const char* prefix, const char* symbol, float value) {
    if (room == 0) return;
    Writer writer(out, room);
    writer.put(prefix);
    writer.put(symbol);
    writer.put(' ');
    if (std::isnan(value)) {
        writer.put("nan");
        return;
    }
    const double magnitude = std::fabs(static_cast<double>(value));
    if (magnitude >= kLargest) {
        writer.put(value < 0 ? "-inf" : "inf");
        return;
    }
    const long long thousandths = std::llround(magnitude * 1000.0);
    if (value < 0 && thousandths != 0) writer.put('-');
    writer.digits(static_cast<unsigned long long>(thousandths / 1000), 1);
    writer.put('.');
    writer.digits(static_cast<unsigned long long>(thousandths % 1000), 3);
}

}  // namespace wavelv2
