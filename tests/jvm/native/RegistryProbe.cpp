#include "RegistryProbe.h"

#include "JNIOXAUserContext.h"

bool RegistryProbe::broadcast(int reason, const char* text) {
    JNIOXAUserContext* listener = JNIOXAUserContext::mJNIOXAUserContext;
    if (listener == nullptr) return false;
    listener->notify(JNIOXAUserContext::OXACLIENT_NOTI_TYPE_ON_USB_CONTROL_CHANGED, reason, 0,
                     text);
    return true;
}
