#include "RegistryProbe.h"

#include "JNIOXAUserContext.h"
#include "OXAClient.h"

bool RegistryProbe::broadcast(int reason, const char* text) {
    // The listener as every client holds it, through its interface: the
    // listener's own class keeps its type information to the library, which
    // the undefined-behaviour sanitizer's check of a call through it needs.
    android::OXAUserListener* listener = android::OXAClient::mListener;
    if (listener == nullptr) return false;
    listener->notify(JNIOXAUserContext::OXACLIENT_NOTI_TYPE_ON_USB_CONTROL_CHANGED, reason, 0,
                     text);
    return true;
}
