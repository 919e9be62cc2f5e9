// The LV2 bridge's processing object (version 2): hosts one installed LV2
// plugin at a time. Its commands list the installed plugins, load one, show
// its ports, set and read its controls, apply its presets, and save its
// state; its streams are frames to process offline and states to restore.
// docs/lv2-bridge.md is the reference for Java.
#ifndef WAVE_LV2_LV2_WAVE_H
#define WAVE_LV2_LV2_WAVE_H

#include <stddef.h>

#include <mutex>
#include <string>

#include "IOXAInterfaceV2.h"
#include "Lv2JackClient.h"
#include "Lv2Log.h"
#include "Lv2Plugin.h"
#include "Lv2World.h"
#include "OfflineRenderer.h"
#include "PluginState.h"
#include "Reply.h"
#include "UridMap.h"

namespace wavelv2 {

class Lv2Wave : public android::IOXAInterfaceV2 {
public:
    Lv2Wave();
    ~Lv2Wave() override;

    int init() override;
    int sendCommand(const char* command) override;
    android::IJackClientInterface* getJackClientInterface() override;
    int request(const char* what, const long ext1, const long capacity, size_t& usedBytes,
                const void* buffer) override;
    int sendStream(const void* stream, const long streamLen, const int id) override;

private:
    void dispatch(const std::string& word, const std::string& rest, Reply& reply);
    void listPlugins(const std::string& filter, Reply& reply);
    void load(const std::string& uri, Reply& reply);
    void unload(Reply& reply);
    void listPorts(Reply& reply);
    void setControl(const std::string& arguments, Reply& reply);
    void getControl(const std::string& symbol, Reply& reply);
    void listPresets(Reply& reply);
    void applyPreset(const std::string& uri, Reply& reply);
    void saveState(Reply& reply);
    void setRate(const std::string& argument, Reply& reply);
    void setBlock(const std::string& argument, Reply& reply);
    void render(const std::string& argument, Reply& reply);
    void processFrames(const void* stream, long length, Reply& reply);
    void restoreState(const void* stream, long length, Reply& reply);
    // False, with an error in `reply`, without a plugin or while JACK runs it.
    bool canChange(const char* what, Reply& reply);
    void answerFrames(const std::vector<float>& frames, Reply& reply);
    // Answers `reply` and what the plugin logged; returns its result.
    int answer(Reply& reply);

    // Guards everything below; the JACK client takes it too.
    std::mutex mLock;
    UridMap mUrids;
    Lv2Log mLog;
    Lv2World mWorld;
    Lv2Plugin mPlugin;
    PluginState mState;
    OfflineRenderer mRenderer;
    double mSampleRate;
    Lv2JackClient mJackClient;
};

}  // namespace wavelv2

#endif  // WAVE_LV2_LV2_WAVE_H
