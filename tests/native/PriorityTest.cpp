// The priority request: one datagram to a Unix socket, the formatted text and
// its terminating zero byte.
#include <stdlib.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <string>

#include "ClientTest.h"

namespace {

// A datagram socket bound in a fresh temporary folder, removed afterwards.
class BoundDatagramSocket {
public:
    BoundDatagramSocket() : mFd(-1) {
        char folder[] = "/tmp/ovik-priority-XXXXXX";
        if (mkdtemp(folder) == nullptr) return;
        mFolder = folder;
        mPath = mFolder + "/set.priority";
        mFd = socket(AF_UNIX, SOCK_DGRAM, 0);
        struct sockaddr_un address {};
        address.sun_family = AF_UNIX;
        mPath.copy(address.sun_path, sizeof(address.sun_path) - 1);
        if (bind(mFd, reinterpret_cast<struct sockaddr*>(&address), sizeof(address)) != 0) {
            close(mFd);
            mFd = -1;
        }
    }
    ~BoundDatagramSocket() {
        if (mFd >= 0) close(mFd);
        if (!mPath.empty()) unlink(mPath.c_str());
        if (!mFolder.empty()) rmdir(mFolder.c_str());
    }

    BoundDatagramSocket(const BoundDatagramSocket&) = delete;
    BoundDatagramSocket& operator=(const BoundDatagramSocket&) = delete;

    bool isBound() const { return mFd >= 0; }
    const std::string& path() const { return mPath; }
    // The next datagram already queued, or an empty text when none is.
    std::string receive() {
        char buffer[256];
        const ssize_t n = recv(mFd, buffer, sizeof(buffer), MSG_DONTWAIT);
        return n < 0 ? std::string() : std::string(buffer, static_cast<size_t>(n));
    }

private:
    int mFd;
    std::string mFolder;
    std::string mPath;
};

}  // namespace

class PriorityTest : public ClientTest {};

TEST_F(PriorityTest, RequestIsTheFormattedTextAndAZeroByte) {
    BoundDatagramSocket service;
    ASSERT_TRUE(service.isBound());

    android::OXAClient::setPriorityAt(service.path().c_str(), 100, 200, 3);

    EXPECT_EQ(service.receive(), std::string("*4100,200,3,\0", 13));
    EXPECT_TRUE(hostLines().empty());
}

TEST_F(PriorityTest, NegativeNumbersAreSentInDecimal) {
    BoundDatagramSocket service;
    ASSERT_TRUE(service.isBound());

    android::OXAClient::setPriorityAt(service.path().c_str(), 7, -1, -19);

    EXPECT_EQ(service.receive(), std::string("*47,-1,-19,\0", 12));
}

TEST_F(PriorityTest, MissingServiceIsLoggedOnce) {
    BoundDatagramSocket folder;
    ASSERT_TRUE(folder.isBound());
    const std::string nobody = folder.path() + ".nobody";

    android::OXAClient::setPriorityAt(nobody.c_str(), 100, 200, 3);

    EXPECT_EQ(hostLines(), (std::vector<LogLine>{LogLine{
                               ANDROID_LOG_ERROR, kHostTag,
                               "(in)OXAClient: fail to send a priority message to service"}}));
}
