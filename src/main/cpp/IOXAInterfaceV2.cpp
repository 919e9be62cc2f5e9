#include "IOXAInterfaceV2.h"

#include "OXAClientUser.h"

namespace android {

IOXAInterfaceV2::IOXAInterfaceV2() {
    mMagicNumber = 2;
}

IOXAInterfaceV2::~IOXAInterfaceV2() {}

int IOXAInterfaceV2::getTargetAPILevel() {
    return OXAClientUser::getInstance()->getTargetAPILevel();
}

}  // namespace android
