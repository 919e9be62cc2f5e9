// Marks the calling thread as inside a module's answer for the scope's
// length: the thread runs module code that called responseToService, so no
// client may be destroyed on it (docs/thread-model.md).
#ifndef ANSWER_SCOPE_H
#define ANSWER_SCOPE_H

namespace android {

class AnswerScope {
public:
    AnswerScope() { ++tDepth; }
    ~AnswerScope() { --tDepth; }
    AnswerScope(const AnswerScope&) = delete;
    AnswerScope& operator=(const AnswerScope&) = delete;

    // Whether the calling thread is inside an answer of any client.
    static bool isInsideAny() { return tDepth > 0; }

private:
    static inline thread_local int tDepth = 0;
};

}  // namespace android

#endif  // ANSWER_SCOPE_H
