#include "AnswerScope.h"

namespace android {

namespace {

thread_local const void* tInnermost = nullptr;

}  // namespace

AnswerScope::AnswerScope(const OXAClient* client) : mInnermost(&tInnermost) {
    mFrame = Frame{client, static_cast<const Frame*>(*mInnermost)};
    *mInnermost = &mFrame;
}

AnswerScope::~AnswerScope() {
    *mInnermost = mFrame.outer;
}

bool AnswerScope::isInsideAny() {
    return tInnermost != nullptr;
}

bool AnswerScope::isInside(const OXAClient* client) {
    for (const Frame* frame = static_cast<const Frame*>(tInnermost); frame != nullptr;
         frame = frame->outer) {
        if (frame->client == client) return true;
    }
    return false;
}

}  // namespace android
