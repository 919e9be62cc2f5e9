#include "AnswerScope.h"

namespace android {

namespace {

thread_local const void* tInnermost = nullptr;

}  // namespace

AnswerScope::AnswerScope(const OXAClient* client)
    : mFrame{client, static_cast<const Frame*>(tInnermost)} {
    tInnermost = &mFrame;
}

AnswerScope::~AnswerScope() {
    tInnermost = mFrame.outer;
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
