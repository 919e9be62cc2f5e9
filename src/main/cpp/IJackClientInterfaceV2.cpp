#include "IJackClientInterfaceV2.h"

namespace android {

IJackClientInterfaceV2::IJackClientInterfaceV2() {
    mMagicNumber = 2;
}

IJackClientInterfaceV2::~IJackClientInterfaceV2() {}

}  // namespace android
