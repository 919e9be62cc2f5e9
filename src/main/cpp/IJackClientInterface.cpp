#include "IJackClientInterface.h"

namespace android {

IJackClientInterface::IJackClientInterface() : mMagicNumber(1) {}

IJackClientInterface::~IJackClientInterface() {}

int IJackClientInterface::getMagicNumber() {
    return mMagicNumber;
}

}  // namespace android
