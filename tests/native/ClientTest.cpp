#include "ClientTest.h"

#include <stdarg.h>
#include <stdio.h>

#include "WaveModule.h"
#include "WaveProbeApi.h"

const char kWaveTag[] = WAVE_PROBE_LOG_TAG;

ClientTest::ClientRef ClientTest::makeClient(const std::string& name) {
    ClientRef client = android::OXAClient::createInstance(name, "binder", 1000);
    EXPECT_NE(client, nullptr) << "the client " << name << " was refused";
    mNames[client.get()] = name;
    return client;
}

std::string ClientTest::initCommand(const std::string& library, const std::string& package) {
    return "init_client:" + package + ":" + WaveModule::fileName(library) + ":" +
           WaveModule::directory();
}

int ClientTest::load(const ClientRef& client, const std::string& library) {
    return command(client, initCommand(library));
}

void ClientTest::loadAndStart(const ClientRef& client, const std::string& library,
                              WaveModule& module) {
    ASSERT_EQ(load(client, library), 0);
    ASSERT_EQ(command(client, "start_client"), 0);
    module.reset();
}

int ClientTest::command(const ClientRef& client, const std::string& text) {
    const std::string addressed = mNames.at(client.get()) + "!" + text;
    return client->sendCommand(addressed.c_str());
}

std::string ClientTest::format(const char* pattern, ...) {
    char buffer[1024];
    va_list args;
    va_start(args, pattern);
    vsnprintf(buffer, sizeof(buffer), pattern, args);
    va_end(args);
    return buffer;
}

std::vector<LogLine> ClientTest::hostLines() {
    return LogCapture::linesWithTag(kHostTag);
}

std::vector<LogLine> ClientTest::hostAndWaveLines() {
    std::vector<LogLine> result;
    for (const LogLine& line : LogCapture::lines()) {
        if (line.tag == kHostTag || line.tag == kWaveTag) result.push_back(line);
    }
    return result;
}

std::vector<std::string> ClientTest::waveMessages() {
    std::vector<std::string> result;
    for (const LogLine& line : LogCapture::linesWithTag(kWaveTag)) result.push_back(line.message);
    return result;
}
