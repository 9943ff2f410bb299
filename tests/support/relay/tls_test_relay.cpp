// The TLS test server as a program, for the Windows tests under wine, which start it as a
// native Linux process: "tls_test_relay <certificate> <backend port>" prints the port it
// listens on, one line, and runs until its standard input closes (the test ended) or for at
// most five minutes.
#include <poll.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "tests/support/posix/tls_relay.h"

int main(int argc, char** argv) {
  using lantervo::test::TestCertificate;
  if (argc != 3) {
    std::fprintf(stderr, "usage: tls_test_relay good|expired|wrong-name|untrusted PORT\n");
    return 2;
  }
  const std::string name = argv[1];
  TestCertificate certificate = TestCertificate::Good;
  for (TestCertificate c : {TestCertificate::Good, TestCertificate::Expired,
                            TestCertificate::WrongName, TestCertificate::Untrusted}) {
    if (name == lantervo::test::TestCertificateName(c)) certificate = c;
  }
  lantervo::test::TlsRelay relay(certificate, static_cast<std::uint16_t>(std::atoi(argv[2])));
  std::printf("%u\n", static_cast<unsigned>(relay.Port()));
  std::fflush(stdout);
  const auto end = std::chrono::steady_clock::now() + std::chrono::minutes(5);
  while (std::chrono::steady_clock::now() < end) {
    pollfd p{0, POLLIN, 0};
    if (poll(&p, 1, 200) <= 0) continue;
    char byte;
    if (read(0, &byte, 1) <= 0) break;
  }
  return 0;
}
