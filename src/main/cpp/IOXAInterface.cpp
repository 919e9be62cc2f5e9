#include "IOXAInterface.h"

namespace android {

IOXAInterface::IOXAInterface() : mMagicNumber(1), mResponse(nullptr) {}

IOXAInterface::~IOXAInterface() {}

void IOXAInterface::setResponseInterface(IOXAResponseInterface* itf) {
    mResponse = itf;
}

void IOXAInterface::response(const char* message) {
    if (mResponse == nullptr) return;
    mResponse->responseToService(message);
}

void IOXAInterface::response(const int32_t ext1, const size_t len, const void* data) {
    if (mResponse == nullptr) return;
    mResponse->responseToService(ext1, len, data);
}

void IOXAInterface::response(const char* message, const int id) {
    if (mResponse == nullptr) return;
    mResponse->responseToService(id, message);
}

int IOXAInterface::getMagicNumber() {
    return mMagicNumber;
}

}  // namespace android
