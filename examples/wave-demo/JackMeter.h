// The example module's real JACK client: opens Debian's (or the device's)
// JACK client library at run time, registers an input and an output port and
// a process callback, plays a 440 Hz tone at half scale on its output, which
// it connects to its own input, and meters the input's peak. The process
// callback answers the meter itself, a level every meter period and the
// level block after the last, through the kit's answer queue: it must never
// call response(), which waits for the host and for Java.
#ifndef WAVE_DEMO_JACK_METER_H
#define WAVE_DEMO_JACK_METER_H

#include <jack/jack.h>

#include <atomic>
#include <memory>
#include <string>

#include "OXAAnswerQueue.h"

namespace wavedemo {

// The queue the meter answers through; its delivery thread belongs to the
// module's JACK client (DemoJackClient).
typedef android::OXAAnswerQueue<> DemoAnswers;

class JackMeter {
public:
    // Levels are pushed to `answers`, which outlives the meter.
    explicit JackMeter(DemoAnswers& answers);
    ~JackMeter();

    JackMeter(const JackMeter&) = delete;
    JackMeter& operator=(const JackMeter&) = delete;

    // Connects to the running server as client `name` (never starts one).
    // False when there is no server or no JACK library; `why` says which.
    bool open(const std::string& name, std::string& why);
    // Activates the client and connects its output to its input; the meter
    // answers its levels from then on.
    bool start();
    // Deactivates the client; harmless when it is not active.
    void stop();
    // Closes the client; harmless when none is open.
    void close();

    bool isOpen() const { return mClient != nullptr; }
    const std::string& clientName() const { return mClientName; }
    unsigned sampleRate() const { return mSampleRate; }

private:
    struct Api;
    struct LibraryCloser {
        void operator()(void* library) const;
    };

    static int process(jack_nframes_t frames, void* self);
    int processCycle(jack_nframes_t frames);
    // Real-time: adds one cycle's peak to the meter period and answers a
    // level when the period is over.
    void meter(float peak, jack_nframes_t frames);
    void pushLevel(float peak);

    std::unique_ptr<void, LibraryCloser> mLibrary;
    std::unique_ptr<Api> mApi;
    jack_client_t* mClient;
    jack_port_t* mInput;
    jack_port_t* mOutput;
    std::string mClientName;
    unsigned mSampleRate;
    bool mActive;
    DemoAnswers& mAnswers;
    // Set by start() before activation, then touched only by the process
    // callback.
    double mPhase;
    jack_nframes_t mPeriodFrames;
    jack_nframes_t mFramesInPeriod;
    float mPeriodPeak;
    int mLevelsAnswered;
};

}  // namespace wavedemo

#endif  // WAVE_DEMO_JACK_METER_H
