#include "Reply.h"

#include "Lv2Protocol.h"

namespace wavelv2 {

int Reply::fail(const std::string& text) {
    add(kCommandAnswerId, "error: " + text);
    result = 1;
    return result;
}

}  // namespace wavelv2
