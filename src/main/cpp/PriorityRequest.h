// The request to the local priority service to change a thread's priority:
// one datagram "*4<pid>,<tid>,<priority>," to a Unix-domain socket, sent and
// forgotten. Failures are logged; nothing waits for an answer.
#ifndef PRIORITY_REQUEST_H
#define PRIORITY_REQUEST_H

namespace android {

class PriorityRequest {
public:
    static void send(const char* socketPath, int pid, int tid, int priority);
};

}  // namespace android

#endif  // PRIORITY_REQUEST_H
