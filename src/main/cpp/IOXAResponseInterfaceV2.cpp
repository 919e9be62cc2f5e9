#include "IOXAResponseInterfaceV2.h"

IOXAResponseInterfaceV2::IOXAResponseInterfaceV2() {
    mMagicNumber = 2;
}

IOXAResponseInterfaceV2::~IOXAResponseInterfaceV2() {}
