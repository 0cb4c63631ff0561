// GetMACAddress: the hardware address of the first IPv4 interface that has a non-zero one.
#include <net/if.h>
#include <netinet/in.h>
#include <stdio.h>
#include <string.h>
#include <sys/ioctl.h>
#include <sys/socket.h>
#include <unistd.h>

#include "VelqonProcess.h"

namespace {

// The interface list is asked for once, with room for this many records.
int const kMaxInterfaces = 64;
// Twelve hexadecimal digits and a terminating zero need 13 bytes; the documented minimum is 14.
int const kMinimumSize = 14;

// Walks the interface list of `socketFd` and formats the first non-zero hardware address of an
// IPv4 interface into `address`. Returns 12, or 0 when none qualifies or a query fails.
int FirstHardwareAddress(int socketFd, char* address, int size) {
    ifreq records[kMaxInterfaces];
    ifconf list;
    list.ifc_len = sizeof records;
    list.ifc_req = records;
    if (ioctl(socketFd, SIOCGIFCONF, &list) < 0) {
        printf("ioctl(SIOCGIFCONF): %m\n");
        return 0;
    }
    int const count = list.ifc_len / static_cast<int>(sizeof(ifreq));
    for (int i = 0; i < count; ++i) {
        if (records[i].ifr_addr.sa_family != AF_INET) {
            continue;
        }
        ifreq request;
        memset(&request, 0, sizeof request);
        memcpy(request.ifr_name, records[i].ifr_name, IFNAMSIZ);
        if (ioctl(socketFd, SIOCGIFHWADDR, &request) < 0) {
            // The first interface that cannot be asked ends the walk.
            printf("SIOCGIFHWADDR(%s): %m\n", request.ifr_name);
            return 0;
        }
        unsigned char const* b = reinterpret_cast<unsigned char const*>(request.ifr_hwaddr.sa_data);
        // Loopback reports all zeros; a zero first byte alone is a real address.
        if ((b[0] | b[1] | b[2] | b[3] | b[4] | b[5]) == 0) {
            continue;
        }
        return snprintf(address, static_cast<size_t>(size), "%02x%02x%02x%02x%02x%02x", b[0], b[1],
                        b[2], b[3], b[4], b[5]);
    }
    return 0;
}

}  // namespace

int GetMACAddress(char* address, int size) {
    if (size < kMinimumSize) {
        return -1;
    }
    // A failed socket is not checked here: the interface-list query then fails and says why.
    int const socketFd = socket(AF_INET, SOCK_DGRAM, 0);
    int const written = FirstHardwareAddress(socketFd, address, size);
    if (socketFd >= 0) {
        close(socketFd);
    }
    return written;
}
