#include "IOXAResponseInterface.h"

IOXAResponseInterface::IOXAResponseInterface() : mMagicNumber(1) {}

IOXAResponseInterface::~IOXAResponseInterface() {}

int IOXAResponseInterface::getMagicNumber() {
    return mMagicNumber;
}
