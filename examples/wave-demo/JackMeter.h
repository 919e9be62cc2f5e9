// The example module's real JACK client: opens Debian's (or the device's)
// JACK client library at run time, registers an input and an output port and
// a process callback, plays a 440 Hz tone at half scale on its output, which
// it connects to its own input, and meters the input's peak. The meter is
// read from an ordinary thread (LevelReporter); the process callback only
// writes one atomic value.
#ifndef WAVE_DEMO_JACK_METER_H
#define WAVE_DEMO_JACK_METER_H

#include <jack/jack.h>

#include <atomic>
#include <memory>
#include <string>

namespace wavedemo {

class JackMeter {
public:
    JackMeter();
    ~JackMeter();

    JackMeter(const JackMeter&) = delete;
    JackMeter& operator=(const JackMeter&) = delete;

    // Connects to the running server as client `name` (never starts one).
    // False when there is no server or no JACK library; `why` says which.
    bool open(const std::string& name, std::string& why);
    // Activates the client and connects its output to its input.
    bool start();
    // Deactivates the client; harmless when it is not active.
    void stop();
    // Closes the client; harmless when none is open.
    void close();

    bool isOpen() const { return mClient != nullptr; }
    const std::string& clientName() const { return mClientName; }
    unsigned sampleRate() const { return mSampleRate; }
    // The input's peak (0 to 1) since the previous call.
    float takePeak() { return mPeak.exchange(0.0f); }

private:
    struct Api;
    struct LibraryCloser {
        void operator()(void* library) const;
    };

    static int process(jack_nframes_t frames, void* self);
    int processCycle(jack_nframes_t frames);

    std::unique_ptr<void, LibraryCloser> mLibrary;
    std::unique_ptr<Api> mApi;
    jack_client_t* mClient;
    jack_port_t* mInput;
    jack_port_t* mOutput;
    std::string mClientName;
    unsigned mSampleRate;
    bool mActive;
    // Touched only by the process callback.
    double mPhase;
    std::atomic<float> mPeak;
};

}  // namespace wavedemo

#endif  // WAVE_DEMO_JACK_METER_H
