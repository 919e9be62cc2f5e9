#include "JackMeter.h"

#include <dlfcn.h>
#include <stdint.h>
#include <string.h>

#include <cmath>

#include "WaveDemoProtocol.h"

namespace wavedemo {

namespace {

const char kJackLibrary[] = "libjack.so.0";
const double kToneHz = 440.0;
const float kToneAmplitude = 0.5f;
const double kTwoPi = 6.283185307179586;

// Writes the decimal digits of `value` (0 or more) at `out`; returns the end.
char* writeDigits(char* out, long value) {
    char digits[24];
    int count = 0;
    do {
        digits[count++] = static_cast<char>('0' + value % 10);
        value /= 10;
    } while (value > 0 && count < 24);
    while (count > 0) *out++ = digits[--count];
    return out;
}

// "meter -6.0 dBFS" without printf, whose locale and buffers are no business
// of a process callback.
void formatMeter(float peak, char* text) {
    static const char kSilent[] = "meter silent";
    if (!(peak > 0.0f)) {
        memcpy(text, kSilent, sizeof(kSilent));
        return;
    }
    long tenths = std::lround(200.0 * std::log10(peak));
    char* out = text;
    memcpy(out, "meter ", 6);
    out += 6;
    if (tenths < 0) {
        *out++ = '-';
        tenths = -tenths;
    }
    out = writeDigits(out, tenths / 10);
    *out++ = '.';
    *out++ = static_cast<char>('0' + tenths % 10);
    memcpy(out, " dBFS", 6);
}

template <typename Function>
bool resolve(void* library, const char* name, Function& function) {
    function = reinterpret_cast<Function>(dlsym(library, name));
    return function != nullptr;
}

}  // namespace

// The JACK functions the meter calls, looked up in the library it opened.
struct JackMeter::Api {
    decltype(&jack_client_open) clientOpen = nullptr;
    decltype(&jack_client_close) clientClose = nullptr;
    decltype(&jack_get_client_name) getClientName = nullptr;
    decltype(&jack_get_sample_rate) getSampleRate = nullptr;
    decltype(&jack_set_process_callback) setProcessCallback = nullptr;
    decltype(&jack_port_register) portRegister = nullptr;
    decltype(&jack_port_name) portName = nullptr;
    decltype(&jack_port_get_buffer) portGetBuffer = nullptr;
    decltype(&jack_activate) activate = nullptr;
    decltype(&jack_deactivate) deactivate = nullptr;
    decltype(&jack_connect) connect = nullptr;

    bool resolveAll(void* library) {
        return resolve(library, "jack_client_open", clientOpen) &&
               resolve(library, "jack_client_close", clientClose) &&
               resolve(library, "jack_get_client_name", getClientName) &&
               resolve(library, "jack_get_sample_rate", getSampleRate) &&
               resolve(library, "jack_set_process_callback", setProcessCallback) &&
               resolve(library, "jack_port_register", portRegister) &&
               resolve(library, "jack_port_name", portName) &&
               resolve(library, "jack_port_get_buffer", portGetBuffer) &&
               resolve(library, "jack_activate", activate) &&
               resolve(library, "jack_deactivate", deactivate) &&
               resolve(library, "jack_connect", connect);
    }
};

void JackMeter::LibraryCloser::operator()(void* library) const {
    dlclose(library);
}

JackMeter::JackMeter(DemoAnswers& answers)
    : mClient(nullptr),
      mInput(nullptr),
      mOutput(nullptr),
      mSampleRate(0),
      mActive(false),
      mAnswers(answers),
      mPhase(0.0),
      mPeriodFrames(0),
      mFramesInPeriod(0),
      mPeriodPeak(0.0f),
      mLevelsAnswered(0) {}

JackMeter::~JackMeter() {
    close();
}

bool JackMeter::open(const std::string& name, std::string& why) {
    if (mClient != nullptr) return true;
    if (!mLibrary) {
        // JACK's library allocates in its constructors and never frees that
        // when it is unloaded: it stays resident once opened (RTLD_NODELETE),
        // and the handle is still closed with the meter.
        std::unique_ptr<void, LibraryCloser> library(
            dlopen(kJackLibrary, RTLD_NOW | RTLD_LOCAL | RTLD_NODELETE));
        std::unique_ptr<Api> api(new Api());
        if (!library || !api->resolveAll(library.get())) {
            why = std::string("no JACK library (") + kJackLibrary + ")";
            return false;
        }
        mLibrary = std::move(library);
        mApi = std::move(api);
    }
    jack_status_t status = static_cast<jack_status_t>(0);
    jack_client_t* client = mApi->clientOpen(name.c_str(), JackNoStartServer, &status);
    if (client == nullptr) {
        why = "no JACK server";
        return false;
    }
    mInput = mApi->portRegister(client, "in", JACK_DEFAULT_AUDIO_TYPE, JackPortIsInput, 0);
    mOutput = mApi->portRegister(client, "out", JACK_DEFAULT_AUDIO_TYPE, JackPortIsOutput, 0);
    if (mInput == nullptr || mOutput == nullptr ||
        mApi->setProcessCallback(client, &JackMeter::process, this) != 0) {
        mApi->clientClose(client);
        mInput = mOutput = nullptr;
        why = "the JACK server refused the ports";
        return false;
    }
    mClient = client;
    mClientName = mApi->getClientName(client);
    mSampleRate = mApi->getSampleRate(client);
    return true;
}

bool JackMeter::start() {
    if (mClient == nullptr) return false;
    if (mActive) return true;
    // The process thread starts with the activation, which orders these
    // writes before its first cycle.
    mPeriodFrames = static_cast<jack_nframes_t>(mSampleRate * kMeterPeriodMs / 1000);
    mFramesInPeriod = 0;
    mPeriodPeak = 0.0f;
    mLevelsAnswered = 0;
    if (mApi->activate(mClient) != 0) return false;
    mActive = true;
    // Ports can be connected only while the client is active.
    return mApi->connect(mClient, mApi->portName(mOutput), mApi->portName(mInput)) == 0;
}

void JackMeter::stop() {
    if (mClient == nullptr || !mActive) return;
    mApi->deactivate(mClient);
    mActive = false;
}

void JackMeter::close() {
    if (mClient == nullptr) return;
    stop();
    // Closing also unregisters the ports; the process callback has ended.
    mApi->clientClose(mClient);
    mClient = nullptr;
    mInput = mOutput = nullptr;
    mClientName.clear();
    mSampleRate = 0;
}

int JackMeter::process(jack_nframes_t frames, void* self) {
    return static_cast<JackMeter*>(self)->processCycle(frames);
}

int JackMeter::processCycle(jack_nframes_t frames) {
    // Real-time thread: no locks, no allocation, no system call; answers go
    // to the queue, never to the host.
    const float* in = static_cast<const float*>(mApi->portGetBuffer(mInput, frames));
    float* out = static_cast<float*>(mApi->portGetBuffer(mOutput, frames));
    float peak = 0.0f;
    for (jack_nframes_t i = 0; i < frames; ++i) {
        const float level = std::fabs(in[i]);
        if (level > peak) peak = level;
    }
    const double step = kTwoPi * kToneHz / (mSampleRate != 0 ? mSampleRate : 48000);
    for (jack_nframes_t i = 0; i < frames; ++i) {
        out[i] = kToneAmplitude * static_cast<float>(std::sin(mPhase));
        mPhase += step;
        if (mPhase >= kTwoPi) mPhase -= kTwoPi;
    }
    meter(peak, frames);
    return 0;
}

void JackMeter::meter(float peak, jack_nframes_t frames) {
    if (mLevelsAnswered >= kLevelCount) return;
    if (peak > mPeriodPeak) mPeriodPeak = peak;
    mFramesInPeriod += frames;
    if (mFramesInPeriod < mPeriodFrames) return;
    pushLevel(mPeriodPeak);
    mFramesInPeriod = 0;
    mPeriodPeak = 0.0f;
    if (++mLevelsAnswered < kLevelCount) return;
    // One byte per level answered, as a meter history: 1, 2, ... count.
    uint8_t block[kLevelCount];
    for (int i = 0; i < kLevelCount; ++i) block[i] = static_cast<uint8_t>(i + 1);
    mAnswers.pushData(kLevelBlockExt1, block, sizeof(block));
}

void JackMeter::pushLevel(float peak) {
    char text[32];
    formatMeter(peak, text);
    // A full queue drops the level and counts it; the cycle goes on.
    mAnswers.pushText(kLevelAnswerId, text);
}

}  // namespace wavedemo
