#include "OXATestHost.h"

#include <stdlib.h>
#include <unistd.h>

#include <utility>

#include "OXAClient.h"
#include "OXATestHostRecord.h"
#include "OXATestHostRouter.h"

namespace android {

namespace {

// The object id the library reads from a client name: the number after the
// last "_" (0 when there is none).
int32_t objectIdOf(const std::string& clientName) {
    const size_t underscore = clientName.rfind('_');
    if (underscore == std::string::npos) return 0;
    return static_cast<int32_t>(atoi(clientName.c_str() + underscore + 1));
}

}  // namespace

// The client, shared so that a command sent from an answer's callback on
// another thread keeps it alive while destroy() lets go of it.
struct OXATestHost::Client {
    std::string name;
    std::shared_ptr<OXAClient> client;

    std::shared_ptr<OXAClient> current() const { return std::atomic_load(&client); }
};

OXATestHost::OXATestHost(const std::string& clientName)
    : mRecord(std::make_shared<OXATestHostRecord>(objectIdOf(clientName))), mClient(new Client()) {
    mClient->name = clientName;
    // Recording before the client exists: its creation logs too.
    OXATestHostRouter::instance().add(mRecord);
    std::atomic_store(&mClient->client,
                      OXAClient::createInstance(clientName, "OXATestHost", getpid()));
}

OXATestHost::~OXATestHost() {
    destroy();
    // A thread the module left running may still answer: the callback, which
    // may refer to the test's own objects, is not called again.
    mRecord->setCallback(nullptr);
    OXATestHostRouter::instance().remove(mRecord.get());
}

int OXATestHost::load(const std::string& moduleDir, const std::string& moduleFile,
                      const std::string& package) {
    return command("init_client:" + package + ":" + moduleFile + ":" + moduleDir);
}

int OXATestHost::command(const std::string& text) {
    std::shared_ptr<OXAClient> client = mClient->current();
    if (!client) return 1;
    return client->sendCommand((mClient->name + "!" + text).c_str());
}

bool OXATestHost::request(const std::string& what, long ext1, long capacity, std::string& bytes) {
    std::shared_ptr<OXAClient> client = mClient->current();
    if (!client) return false;
    size_t usedBytes = 0;
    std::shared_ptr<OxaMemoryHeap> block = client->request(what.c_str(), ext1, capacity, usedBytes);
    if (!block) return false;
    bytes.assign(static_cast<const char*>(block->getBase()), usedBytes);
    return true;
}

int OXATestHost::stream(const void* stream, long length, int id) {
    std::shared_ptr<OXAClient> client = mClient->current();
    if (!client) return 1;
    return client->sendStream(stream, length, id);
}

std::string OXATestHost::jackClientName() {
    std::shared_ptr<OXAClient> client = mClient->current();
    if (!client) return std::string();
    const char* name = client->getJackClientName(mClient->name.c_str());
    return name != nullptr ? std::string(name) : std::string();
}

void OXATestHost::destroy() {
    // The module's object is destroyed with the last reference: here, or on
    // a thread still inside a command of this host.
    std::atomic_store(&mClient->client, std::shared_ptr<OXAClient>());
}

bool OXATestHost::loaded() const {
    return mClient->current() != nullptr;
}

const std::string& OXATestHost::clientName() const {
    return mClient->name;
}

int32_t OXATestHost::objectId() const {
    return mRecord->objectId();
}

std::vector<OXATestAnswer> OXATestHost::answers() const {
    return mRecord->answers();
}

size_t OXATestHost::answerCount() const {
    return mRecord->answerCount();
}

bool OXATestHost::waitForText(int32_t id, const std::string& text,
                              std::chrono::milliseconds timeout, OXATestAnswer* found) const {
    return mRecord->waitForFirst(
        [&](const OXATestAnswer& answer) {
            return !answer.isData && answer.id == id && answer.text == text;
        },
        timeout, found);
}

bool OXATestHost::waitForData(int32_t id, std::chrono::milliseconds timeout,
                              OXATestAnswer* found) const {
    return mRecord->waitForFirst(
        [&](const OXATestAnswer& answer) { return answer.isData && answer.id == id; }, timeout,
        found);
}

bool OXATestHost::waitForAnswers(size_t count, std::chrono::milliseconds timeout) const {
    return mRecord->waitForCount(count, timeout);
}

void OXATestHost::clearAnswers() {
    mRecord->clearAnswers();
}

void OXATestHost::onAnswer(std::function<void(const OXATestAnswer&)> callback) {
    mRecord->setCallback(std::move(callback));
}

std::vector<OXATestLogLine> OXATestHost::logLines() const {
    return mRecord->logLines();
}

bool OXATestHost::logged(int priority, const std::string& tag, const std::string& message) const {
    for (const OXATestLogLine& line : mRecord->logLines()) {
        if (line.priority == priority && line.tag == tag && line.message == message) return true;
    }
    return false;
}

}  // namespace android
