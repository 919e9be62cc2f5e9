// The line protocol from a check's child process to the runner: the steps
// the check reached (so that a crash or a timeout can say where it happened)
// and, at the end, the outcome. One instance, set up in the child.
#ifndef OXA_HOST_CHILD_CHANNEL_H
#define OXA_HOST_CHILD_CHANNEL_H

#include <string>

#include "CheckOutcome.h"

namespace oxahost {

class ChildChannel {
public:
    // Called in the child, with the pipe's writing end.
    static void open(int fd);
    // Records the step the check is in; safe from any thread.
    static void step(const std::string& text);
    // Records what explains a crash or a hang from here on (a library the
    // module pulls in that is unloaded under it): the runner adds it to a
    // CRASH or TIMEOUT. Safe from any thread.
    static void causeIfItEnds(const std::string& text);
    static void finish(const CheckOutcome& outcome);

    // The runner's side: what `received` (everything read from the pipe)
    // says. False when no outcome arrived; `lastStep`, and `cause` when
    // given, are set either way.
    static bool parse(const std::string& received, CheckOutcome* outcome, std::string* lastStep,
                      std::string* cause = nullptr);

private:
    static void writeLine(char kind, const std::string& text);
    static int sFd;
};

}  // namespace oxahost

#endif  // OXA_HOST_CHILD_CHANNEL_H
