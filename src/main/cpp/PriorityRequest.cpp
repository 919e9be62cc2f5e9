#include "PriorityRequest.h"

#include <stdio.h>
#include <string.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#define LOG_TAG OVIK_HOST_LOG_TAG
#include "OvikLog.h"

namespace android {

void PriorityRequest::send(const char* socketPath, int pid, int tid, int priority) {
    const int fd = socket(AF_UNIX, SOCK_DGRAM, 0);
    if (fd < 0) {
        ALOGI("failed to create socket\n");
        return;
    }
    char message[108];
    memset(message, 0, sizeof(message));
    snprintf(message, sizeof(message), "*4%d,%d,%d,", pid, tid, priority);

    struct sockaddr_un address;
    memset(&address, 0, sizeof(address));
    address.sun_family = AF_UNIX;
    memcpy(address.sun_path, socketPath, strnlen(socketPath, sizeof(address.sun_path)));

    const ssize_t sent =
        sendto(fd, message, strlen(message) + 1, 0,
               reinterpret_cast<const struct sockaddr*>(&address), sizeof(address));
    if (sent < 0) ALOGE("(in)OXAClient: fail to send a priority message to service");
    close(fd);
}

}  // namespace android
