// The kit's test harness (imported target OvikWave::testing): loads a module
// into a real client of the library, as the service does, commands it,
// requests blocks and sends streams, and records the module's answers and
// the library's log lines, so a module's own tests run it as it runs in the
// service.
//
//   android::OXATestHost host("mine_1");       // client name: <name>_<object id>
//   ASSERT_EQ(0, host.load(MODULE_DIR, "libwave_mine.so", "mine"));
//   ASSERT_EQ(0, host.command("gain 3"));
//   EXPECT_TRUE(host.waitForText(1, "gain 3", std::chrono::seconds(5)));
//
// Answers are recorded from any thread the module answers on, with that
// thread's id. Every host is a client of its own; several may live at once,
// each recording only its own client's answers (told apart by object id, so
// give each a different one). The log lines the library writes while a host
// lives are recorded by every host alive at the time; set OVIK_TEST_LOG=1 to
// also see them on stderr. For that the first host makes itself liblog's
// logger (__android_log_set_logger, at the verbose level) for the rest of
// the process.
//
// Where it differs from the service: answers of different threads are not
// serialised (two onAnswer() callbacks may run at once), and destroy() is
// not deferred. Never destroy() a host from inside its own onAnswer()
// callback: on the module's thread the module would join that very thread.
//
// The harness links its own copy of the library's client host, kept private
// to the test program: nothing of the library's internals is seen here.
#ifndef OXA_TEST_HOST_H
#define OXA_TEST_HOST_H

#include <stddef.h>
#include <stdint.h>

#include <chrono>
#include <functional>
#include <memory>
#include <string>
#include <thread>
#include <vector>

namespace android {

// One answer of the module, as the service's listener receives it.
struct OXATestAnswer {
    // A data answer (responseToService(ext1, len, data)) rather than a text.
    bool isData;
    // 0 for the module's text answers; the library's own notifications use
    // other types.
    int32_t msgType;
    // The module's answer id (ext1 on the Java side).
    int32_t id;
    // The object id of the client that answered (ext2).
    int32_t objectId;
    // A text answer's text ("" and hasText false for a null text).
    bool hasText;
    std::string text;
    // A data answer's bytes, copied.
    std::string data;
    // The thread the answer was made on.
    std::thread::id thread;
};

// A line the library wrote to the Android log.
struct OXATestLogLine {
    int priority;  // ANDROID_LOG_* of <android/log.h>: 4 is INFO, 6 is ERROR
    std::string tag;
    std::string message;
};

class OXATestHostRecord;

class OXATestHost {
public:
    // The tag of the library's lines about its clients and modules.
    static constexpr const char* kHostLogTag = "VAD-OXAClient";

    // A new client named `clientName`: "<name>_<object id>", the object id a
    // number (the answers' objectId). Check loaded() after load().
    explicit OXATestHost(const std::string& clientName = "test_1");
    // Destroys the client, if still there, and stops recording.
    ~OXATestHost();

    OXATestHost(const OXATestHost&) = delete;
    OXATestHost& operator=(const OXATestHost&) = delete;

    // Loads the module: "init_client:<package>:<file>:<dir>". The host looks
    // for <dir>/<file>, then for <dir>/libwave_<package>.so. The host's
    // result: 0 when loaded.
    int load(const std::string& moduleDir, const std::string& moduleFile,
             const std::string& package = "test");
    // A command as the service sends it ("activate", "gain 3"), without the
    // client name; the host's result (the module's, or 1 when refused).
    int command(const std::string& text);
    // Has the module fill a block of `capacity` bytes; on success `bytes`
    // holds the bytes it reported, else it is left alone.
    bool request(const std::string& what, long ext1, long capacity, std::string& bytes);
    // Hands the module `length` bytes at `stream` with `id`; the result.
    int stream(const void* stream, long length, int id);
    // The module's JACK client name; "" when it gives none.
    std::string jackClientName();
    // Destroys the client and with it the module's object, as the service
    // does when it lets go of a client; answers made meanwhile and later are
    // still recorded. Harmless when it is gone.
    void destroy();
    bool loaded() const;
    const std::string& clientName() const;
    int32_t objectId() const;

    // Every answer so far, in the order they arrived.
    std::vector<OXATestAnswer> answers() const;
    size_t answerCount() const;
    // Waits until the first text answer with `id` and `text` has arrived,
    // or the timeout has passed; copies it to `found` when given.
    bool waitForText(int32_t id, const std::string& text, std::chrono::milliseconds timeout,
                     OXATestAnswer* found = nullptr) const;
    // The same for the first data answer with `id`.
    bool waitForData(int32_t id, std::chrono::milliseconds timeout,
                     OXATestAnswer* found = nullptr) const;
    // Waits until `count` answers (text and data) have arrived.
    bool waitForAnswers(size_t count, std::chrono::milliseconds timeout) const;
    void clearAnswers();
    // Called on the answering thread after each answer is recorded, with no
    // lock of the harness held: it may command the module, as a Java
    // callback may ("deactivate" from inside an answer). Null to stop.
    void onAnswer(std::function<void(const OXATestAnswer&)> callback);

    // The library's log lines since this host was made.
    std::vector<OXATestLogLine> logLines() const;
    // Whether a line with exactly this priority, tag and message was logged.
    bool logged(int priority, const std::string& tag, const std::string& message) const;

private:
    struct Client;

    std::shared_ptr<OXATestHostRecord> mRecord;
    std::unique_ptr<Client> mClient;
};

}  // namespace android

#endif  // OXA_TEST_HOST_H
