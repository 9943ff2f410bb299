// How Linux errors map onto the Windows socket numbers of the messages.
#include <netdb.h>

#include <cerrno>

#include <gtest/gtest.h>

#include "platform/socket.h"

namespace lantervo::platform {
namespace {

TEST(PosixSocketErrors, ErrnoMapsOntoWindowsNumbers) {
  EXPECT_EQ(SocketErrorFromNative(ECONNREFUSED), 10061);
  EXPECT_EQ(SocketErrorFromNative(ECONNRESET), 10054);
  EXPECT_EQ(SocketErrorFromNative(EPIPE), 10054);
  EXPECT_EQ(SocketErrorFromNative(ECONNABORTED), 10053);
  EXPECT_EQ(SocketErrorFromNative(ETIMEDOUT), 10060);
  EXPECT_EQ(SocketErrorFromNative(EHOSTUNREACH), 10065);
  EXPECT_EQ(SocketErrorFromNative(ENETUNREACH), 10051);
  EXPECT_EQ(SocketErrorFromNative(EHOSTDOWN), 10064);
  EXPECT_EQ(SocketErrorFromNative(EADDRINUSE), 10048);
  EXPECT_EQ(SocketErrorFromNative(EADDRNOTAVAIL), 10049);
  EXPECT_EQ(SocketErrorFromNative(EMFILE), 10024);
  EXPECT_EQ(SocketErrorFromNative(ENETDOWN), 10050);
}

TEST(PosixSocketErrors, ResolverFailuresReadAsHostNotFound) {
  for (int r : {EAI_NONAME, EAI_NODATA, EAI_FAIL, EAI_AGAIN, EAI_ADDRFAMILY}) {
    EXPECT_EQ(SocketErrorFromResolver(r), 11001) << r;
  }
  EXPECT_EQ(SocketErrorFromResolver(EAI_MEMORY), 10055);
}

}  // namespace
}  // namespace lantervo::platform
