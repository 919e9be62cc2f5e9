#include "Lv2Wave.h"

#include <string.h>

#include <cmath>
#include <iomanip>
#include <locale>
#include <sstream>

#include "Lv2Protocol.h"
#include "PluginCatalog.h"

namespace wavelv2 {

namespace {

// Frames of one "render" or stream at most: about 20 s at 48 kHz.
const long kMaxFrames = 1 << 20;
const int kLowestRate = 1000;
const int kHighestRate = 384000;

// Numbers are read and written in the C locale, whatever the process's is:
// the JVM sets the user's, whose decimal point may be a comma.
std::string number(double value) {
    if (std::isnan(value)) return "none";
    std::ostringstream text;
    text.imbue(std::locale::classic());
    text << std::setprecision(9) << value;
    return text.str();
}

bool parseFloat(const std::string& text, float& value) {
    std::istringstream in(text);
    in.imbue(std::locale::classic());
    std::string word;
    if (!(in >> word) || !(in >> std::ws).eof()) return false;
    if (word == "nan" || word == "NaN" || word == "NAN") {
        value = NAN;
        return true;
    }
    std::istringstream number(word);
    number.imbue(std::locale::classic());
    double parsed = 0.0;
    if (!(number >> parsed) || !number.eof()) return false;
    value = static_cast<float>(parsed);
    return true;
}

bool parseCount(const std::string& text, long lowest, long highest, long& value) {
    std::istringstream in(text);
    in.imbue(std::locale::classic());
    if (!(in >> value) || !(in >> std::ws).eof()) return false;
    return value >= lowest && value <= highest;
}

std::string trim(const std::string& text) {
    const size_t start = text.find_first_not_of(' ');
    if (start == std::string::npos) return "";
    return text.substr(start, text.find_last_not_of(' ') - start + 1);
}

std::string portText(const PortInfo& port) {
    std::string text = "port " + std::to_string(port.index) + "|" + port.symbol + "|" + port.name +
                       "|" + (port.input ? "input" : "output") + "|" + port.typeName();
    if (port.type == PortInfo::kControl) {
        text += "|min " + number(port.minimum) + "|max " + number(port.maximum) + "|default " +
                number(port.defaultValue);
        if (port.toggled) text += "|toggled";
        if (port.integer) text += "|integer";
    }
    return text;
}

}  // namespace

Lv2Wave::Lv2Wave()
    : mLog(mUrids),
      mPlugin(mWorld, mUrids, mLog),
      mState(mWorld, mUrids),
      mRenderer(mPlugin),
      mSampleRate(kDefaultSampleRate),
      mJackClient(*this, mLock, mPlugin, mLog) {}

Lv2Wave::~Lv2Wave() {}

int Lv2Wave::init() {
    response("lv2 bridge ready", kCommandAnswerId);
    return 0;
}

android::IJackClientInterface* Lv2Wave::getJackClientInterface() {
    return &mJackClient;
}

int Lv2Wave::answer(Reply& reply) {
    for (const std::string& message : mLog.takeMessages()) reply.add(kLogAnswerId, message);
    for (const Reply::Text& text : reply.texts) response(text.text.c_str(), text.id);
    for (const Reply::Block& block : reply.blocks) {
        response(block.ext1, block.bytes.size(), block.bytes.data());
    }
    return reply.result;
}

int Lv2Wave::sendCommand(const char* command) {
    Reply reply;
    try {
        const std::string text = command != nullptr ? command : "";
        const size_t space = text.find(' ');
        const std::string word = text.substr(0, space);
        const std::string rest = space == std::string::npos ? "" : trim(text.substr(space + 1));
        std::lock_guard<std::mutex> hold(mLock);
        dispatch(word, rest, reply);
    } catch (const std::exception& error) {
        reply.fail(std::string("the bridge failed: ") + error.what());
    }
    return answer(reply);
}

void Lv2Wave::dispatch(const std::string& word, const std::string& rest, Reply& reply) {
    if (word == "plugins") return listPlugins(rest, reply);
    if (word == "load") return load(rest, reply);
    if (word == "unload" && rest.empty()) return unload(reply);
    if (word == "ports" && rest.empty()) return listPorts(reply);
    if (word == "set") return setControl(rest, reply);
    if (word == "get") return getControl(rest, reply);
    if (word == "presets" && rest.empty()) return listPresets(reply);
    if (word == "preset") return applyPreset(rest, reply);
    if (word == "state" && rest.empty()) return saveState(reply);
    if (word == "rate") return setRate(rest, reply);
    if (word == "block") return setBlock(rest, reply);
    if (word == "render") return render(rest, reply);
    reply.fail("unknown command: " + word + (rest.empty() ? "" : " " + rest));
}

void Lv2Wave::listPlugins(const std::string& filter, Reply& reply) {
    const std::vector<PluginSummary> plugins = wavelv2::listPlugins(mWorld, filter);
    for (const PluginSummary& plugin : plugins)
        reply.add(kCommandAnswerId, "plugin " + plugin.text());
    reply.add(kCommandAnswerId, "plugins " + std::to_string(plugins.size()));
}

bool Lv2Wave::canChange(const char* what, Reply& reply) {
    if (mJackClient.runsPlugin()) {
        reply.fail(std::string(what) + ": JACK runs the plugin; deactivate first");
        return false;
    }
    return true;
}

void Lv2Wave::load(const std::string& uri, Reply& reply) {
    if (uri.empty()) {
        reply.fail("load: no plugin URI");
        return;
    }
    if (!canChange("load", reply)) return;
    std::string why;
    if (!mPlugin.load(uri, mSampleRate, why)) {
        reply.fail("load: " + why);
        return;
    }
    reply.add(kCommandAnswerId, "loaded " + uri + "|audio " +
                                    std::to_string(mPlugin.audioInputs()) + "/" +
                                    std::to_string(mPlugin.audioOutputs()) + "|midi " +
                                    (mPlugin.hasMidiInput() ? "1" : "0"));
}

void Lv2Wave::unload(Reply& reply) {
    if (!canChange("unload", reply)) return;
    if (!mPlugin.isLoaded()) {
        reply.fail("unload: no plugin loaded");
        return;
    }
    mPlugin.unload();
    reply.add(kCommandAnswerId, "unloaded");
}

void Lv2Wave::listPorts(Reply& reply) {
    if (!mPlugin.isLoaded()) {
        reply.fail("ports: no plugin loaded");
        return;
    }
    for (const PortInfo& port : mPlugin.ports()) reply.add(kCommandAnswerId, portText(port));
    reply.add(kCommandAnswerId, "ports " + std::to_string(mPlugin.ports().size()));
}

void Lv2Wave::setControl(const std::string& arguments, Reply& reply) {
    const size_t space = arguments.find(' ');
    const std::string symbol = arguments.substr(0, space);
    float value = 0.0f;
    if (space == std::string::npos || !parseFloat(arguments.substr(space + 1), value)) {
        reply.fail("set: give a control symbol and a number: set SYMBOL VALUE");
        return;
    }
    std::string why = "no plugin loaded";
    float applied = 0.0f;
    if (!mPlugin.isLoaded() || !mPlugin.setControl(symbol, value, applied, why)) {
        reply.fail("set: " + why);
        return;
    }
    reply.add(kCommandAnswerId, "set " + symbol + " " + number(applied));
}

void Lv2Wave::getControl(const std::string& symbol, Reply& reply) {
    float value = 0.0f;
    if (!mPlugin.isLoaded()) {
        reply.fail("get: no plugin loaded");
    } else if (!mPlugin.control(symbol, value)) {
        reply.fail("get: no control port " + symbol);
    } else {
        reply.add(kCommandAnswerId, "value " + symbol + " " + number(value));
    }
}

void Lv2Wave::listPresets(Reply& reply) {
    if (!mPlugin.isLoaded()) {
        reply.fail("presets: no plugin loaded");
        return;
    }
    const std::vector<PresetInfo> presets = mState.presets(mPlugin);
    for (const PresetInfo& preset : presets) {
        reply.add(kCommandAnswerId, "preset " + preset.uri + "|" + preset.label);
    }
    reply.add(kCommandAnswerId, "presets " + std::to_string(presets.size()));
}

void Lv2Wave::applyPreset(const std::string& uri, Reply& reply) {
    std::string why;
    if (!mState.applyPreset(mPlugin, uri, why)) {
        reply.fail("preset: " + why);
        return;
    }
    reply.add(kCommandAnswerId, "preset applied " + uri);
}

void Lv2Wave::saveState(Reply& reply) {
    std::string text, why;
    if (!mState.save(mPlugin, text, why)) {
        reply.fail("state: " + why);
        return;
    }
    reply.add(kCommandAnswerId, "state " + std::to_string(text.size()) + " bytes");
    reply.blocks.push_back(
        Reply::Block{kStateExt1, std::vector<uint8_t>(text.begin(), text.end())});
}

void Lv2Wave::setRate(const std::string& argument, Reply& reply) {
    long rate = 0;
    if (!parseCount(argument, kLowestRate, kHighestRate, rate)) {
        reply.fail("rate: give a sample rate from " + std::to_string(kLowestRate) + " to " +
                   std::to_string(kHighestRate) + " Hz");
        return;
    }
    if (!canChange("rate", reply)) return;
    mSampleRate = static_cast<double>(rate);
    std::string why;
    if (mPlugin.isLoaded() && !mPlugin.reload(mSampleRate, why)) {
        reply.fail("rate: " + why);
        return;
    }
    reply.add(kCommandAnswerId, "rate " + std::to_string(rate));
}

void Lv2Wave::setBlock(const std::string& argument, Reply& reply) {
    long frames = 0;
    if (!parseCount(argument, 1, Lv2Plugin::kMaxBlock, frames)) {
        reply.fail("block: give a block length from 1 to " + std::to_string(Lv2Plugin::kMaxBlock) +
                   " frames");
        return;
    }
    mRenderer.setBlockLength(static_cast<uint32_t>(frames));
    reply.add(kCommandAnswerId, "block " + std::to_string(frames));
}

void Lv2Wave::answerFrames(const std::vector<float>& frames, Reply& reply) {
    Reply::Block block{kFramesExt1, std::vector<uint8_t>(frames.size() * sizeof(float))};
    if (!frames.empty()) memcpy(block.bytes.data(), frames.data(), block.bytes.size());
    reply.blocks.push_back(std::move(block));
}

void Lv2Wave::render(const std::string& argument, Reply& reply) {
    long frames = 0;
    if (!parseCount(argument, 1, kMaxFrames, frames)) {
        reply.fail("render: give a frame count from 1 to " + std::to_string(kMaxFrames));
        return;
    }
    if (!mPlugin.isLoaded()) {
        reply.fail("render: no plugin loaded");
        return;
    }
    if (!canChange("render", reply)) return;
    std::vector<float> out;
    mRenderer.render(nullptr, static_cast<uint32_t>(frames), out);
    answerFrames(out, reply);
}

int Lv2Wave::request(const char* /*what*/, const long /*ext1*/, const long /*capacity*/,
                     size_t& usedBytes, const void* /*buffer*/) {
    usedBytes = 0;
    return 1;
}

int Lv2Wave::sendStream(const void* stream, const long streamLen, const int id) {
    Reply reply;
    try {
        std::lock_guard<std::mutex> hold(mLock);
        if (streamLen <= 0 || stream == nullptr) {
            reply.fail("stream: empty");
        } else if (id == kFramesStreamId) {
            processFrames(stream, streamLen, reply);
        } else if (id == kStateStreamId) {
            restoreState(stream, streamLen, reply);
        } else {
            reply.fail("stream: unknown id " + std::to_string(id));
        }
    } catch (const std::exception& error) {
        reply.fail(std::string("the bridge failed: ") + error.what());
    }
    return answer(reply);
}

void Lv2Wave::processFrames(const void* stream, long length, Reply& reply) {
    if (!mPlugin.isLoaded()) {
        reply.fail("frames: no plugin loaded");
        return;
    }
    if (!canChange("frames", reply)) return;
    const long frameBytes = static_cast<long>(sizeof(float) * mPlugin.audioInputs());
    if (frameBytes == 0) {
        reply.fail("frames: the plugin has no audio input; use render");
        return;
    }
    if (length % frameBytes != 0 || length / frameBytes > kMaxFrames) {
        reply.fail("frames: " + std::to_string(length) + " bytes are not whole frames of " +
                   std::to_string(mPlugin.audioInputs()) + " 32-bit floats (at most " +
                   std::to_string(kMaxFrames) + " frames)");
        return;
    }
    std::vector<float> out;
    mRenderer.render(static_cast<const uint8_t*>(stream),
                     static_cast<uint32_t>(length / frameBytes), out);
    answerFrames(out, reply);
}

void Lv2Wave::restoreState(const void* stream, long length, Reply& reply) {
    if (!canChange("state", reply)) return;
    std::string why;
    const std::string text(static_cast<const char*>(stream), static_cast<size_t>(length));
    if (!mState.restore(mPlugin, text, why)) {
        reply.fail("state: " + why);
        return;
    }
    reply.add(kCommandAnswerId, "state restored");
}

}  // namespace wavelv2
