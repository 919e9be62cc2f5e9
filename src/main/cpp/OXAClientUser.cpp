#include "OXAClientUser.h"

#include <android/log.h>
#include <pthread.h>

#include <algorithm>
#include <new>
#include <vector>

#include "OvikAutoLock.h"
#include "OvikLog.h"
#include "OvikVersion.h"

namespace android {

namespace {
// Guards creation and destruction of the handle; constant-initialised, so it
// is usable by module threads before any static constructor of this library.
pthread_mutex_t sInstanceLock = PTHREAD_MUTEX_INITIALIZER;
// Set when the handle was emptied because the client it answered to was
// destroyed, cleared when it is pointed at a client again: answers in
// between come from module code that outlived its client. Read and written
// under sInFlightLock, together with the handle's pointer.
bool sClientGone = false;

// The answers on their way through the handle, by the client each goes to.
// A client that is being destroyed waits until none goes to it any more, so
// no answer reaches a client after its destructor has returned. The locks,
// the condition variable and their order: docs/thread-model.md.
pthread_mutex_t sInFlightLock = PTHREAD_MUTEX_INITIALIZER;
pthread_cond_t sInFlightDone = PTHREAD_COND_INITIALIZER;

// One answer on its way: where it goes, and the thread that sends it.
struct AnswerOnItsWay {
    const IOXAResponseInterfaceV2* target;
    pthread_t thread;
    bool operator==(const AnswerOnItsWay& other) const {
        return target == other.target && pthread_equal(thread, other.thread);
    }
};

std::vector<AnswerOnItsWay>& inFlight() {
    static std::vector<AnswerOnItsWay>* answers =
        new std::vector<AnswerOnItsWay>();  // never freed: threads outlive statics
    return *answers;
}

// Whether an answer to `itf` is on its way on a thread other than this one.
// One on this thread is further up its own stack: that happens only when
// the process exits from inside that answer, and it cannot be waited for.
bool answerOnItsWayElsewhere(const IOXAResponseInterfaceV2* itf) {
    const pthread_t self = pthread_self();
    for (const AnswerOnItsWay& answer : inFlight()) {
        if (answer.target == itf && !pthread_equal(answer.thread, self)) return true;
    }
    return false;
}

// One answer through the handle: reads where it goes and counts it as on its
// way there for the scope's length. Where it goes and whether its client is
// gone are read under the lock under which the handle is emptied, so an
// answer dropped because its client went is always logged.
class InFlightAnswer {
public:
    explicit InFlightAnswer(IOXAResponseInterfaceV2* const* response) {
        OvikAutoLock lock(&sInFlightLock);
        mTarget = __atomic_load_n(response, __ATOMIC_ACQUIRE);
        mClientGone = mTarget == nullptr && sClientGone;
        if (mTarget != nullptr) inFlight().push_back(AnswerOnItsWay{mTarget, pthread_self()});
    }
    ~InFlightAnswer() {
        if (mTarget == nullptr) return;
        OvikAutoLock lock(&sInFlightLock);
        std::vector<AnswerOnItsWay>& answers = inFlight();
        answers.erase(
            std::find(answers.begin(), answers.end(), AnswerOnItsWay{mTarget, pthread_self()}));
        pthread_cond_broadcast(&sInFlightDone);
    }
    InFlightAnswer(const InFlightAnswer&) = delete;
    InFlightAnswer& operator=(const InFlightAnswer&) = delete;

    IOXAResponseInterfaceV2* target() const { return mTarget; }

    // Whether the answer may go on; one dropped because the module outlived
    // its client is logged, once per answer, in the client host's voice.
    bool canGoOn() const {
        if (mTarget != nullptr) return true;
        if (mClientGone) {
            __android_log_print(ANDROID_LOG_ERROR, OVIK_HOST_LOG_TAG,
                                "an answer through the response handle was dropped: the client it "
                                "answered to is gone");
        }
        return false;
    }

private:
    IOXAResponseInterfaceV2* mTarget;
    bool mClientGone;
};

// Waits until no answer through the handle is on its way to `itf` on another
// thread. The destroying thread is inside an answer itself only at exit
// (docs/thread-model.md).
void awaitAnswersTo(const IOXAResponseInterfaceV2* itf) {
    OvikAutoLock lock(&sInFlightLock);
    while (answerOnItsWayElsewhere(itf)) pthread_cond_wait(&sInFlightDone, &sInFlightLock);
}
}  // namespace

OXAClientUser* OXAClientUser::mInstance = nullptr;

OXAClientUser::OXAClientUser() : mResponse(nullptr) {}

OXAClientUser::~OXAClientUser() {
    OvikAutoLock lock(&sInstanceLock);
    if (mInstance == this) mInstance = nullptr;
}

OXAClientUser* OXAClientUser::getInstance() {
    OvikAutoLock lock(&sInstanceLock);
    if (mInstance == nullptr) mInstance = new (std::nothrow) OXAClientUser();
    return mInstance;
}

void OXAClientUser::setResponseInterface(IOXAResponseInterfaceV2* itf) {
    // Module threads read the pointer while a loading client writes it; an
    // answer reads it and the gone mark together.
    OvikAutoLock answers(&sInFlightLock);
    __atomic_store_n(&mResponse, itf, __ATOMIC_RELEASE);
    sClientGone = false;
}

void OXAClientUser::response(const char* message) {
    InFlightAnswer answer(&mResponse);
    if (!answer.canGoOn()) return;
    answer.target()->responseToService(message);
}

void OXAClientUser::response(const int32_t ext1, const size_t len, const void* data) {
    InFlightAnswer answer(&mResponse);
    if (!answer.canGoOn()) return;
    answer.target()->responseToService(ext1, len, data);
}

void OXAClientUser::response(const char* message, const int id) {
    InFlightAnswer answer(&mResponse);
    if (!answer.canGoOn()) return;
    answer.target()->responseToService(id, message);
}

int OXAClientUser::getTargetAPILevel() {
    InFlightAnswer answer(&mResponse);
    if (answer.target() == nullptr) return 0;
    return answer.target()->getTargetAPILevel();
}

void OXAClientUser::forgetResponseInterface(IOXAResponseInterfaceV2* itf) {
    {
        OvikAutoLock lock(&sInstanceLock);
        if (mInstance == nullptr) return;
        // Emptied and marked gone in one step for the answers that read both.
        OvikAutoLock answers(&sInFlightLock);
        IOXAResponseInterfaceV2* expected = itf;
        if (__atomic_compare_exchange_n(&mInstance->mResponse, &expected, nullptr, false,
                                        __ATOMIC_ACQ_REL, __ATOMIC_ACQUIRE)) {
            sClientGone = true;
        }
    }
    // An answer that read the pointer before it was emptied may still be on
    // its way; the client must outlive it.
    awaitAnswersTo(itf);
}

extern "C" {

OXAClientUser* oxa_user_create(IOXAResponseInterfaceV2* responseItf) {
    OXAClientUser* handle = OXAClientUser::getInstance();
    if (handle != nullptr) handle->setResponseInterface(responseItf);
    return handle;
}

void oxa_user_destroy(OXAClientUser* /*p*/) {
    // The handle is the process's one: every module answers through it, and
    // other threads may be doing so right now, or a loading client setting
    // it. It stays; the only handles there are come from getInstance().
}

int oxa_user_get_api_level() {
    return 1;
}

int oxa_user_get_major_version_number() {
    return OVIK_VERSION_MAJOR;
}

int oxa_user_get_minor_version_number() {
    return OVIK_VERSION_MINOR;
}

int oxa_user_get_patch_version_number() {
    return OVIK_VERSION_PATCH;
}

const char* oxa_user_get_version_string() {
    return OVIK_VERSION_STRING;
}

}  // extern "C"

}  // namespace android
