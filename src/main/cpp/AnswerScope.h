// Marks the calling thread as inside an answer of one client for the scope's
// length, so the client can tell whether a thread is running module code
// that answered through it (OXAClient::isAnsweringOnCallingThread()).
#ifndef ANSWER_SCOPE_H
#define ANSWER_SCOPE_H

namespace android {

class OXAClient;

class AnswerScope {
public:
    explicit AnswerScope(const OXAClient* client);
    ~AnswerScope();
    AnswerScope(const AnswerScope&) = delete;
    AnswerScope& operator=(const AnswerScope&) = delete;

    // Whether the calling thread is inside an answer of `client`.
    static bool isInside(const OXAClient* client);
    // Whether the calling thread is inside an answer of any client.
    static bool isInsideAny();

private:
    // The answers the calling thread is inside, innermost first: one frame
    // per scope on the thread's stack.
    struct Frame {
        const OXAClient* client;
        const Frame* outer;
    };

    Frame mFrame;
    // The calling thread's innermost answer, found once per scope.
    const void** mInnermost;
};

}  // namespace android

#endif  // ANSWER_SCOPE_H
