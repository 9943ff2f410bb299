// The TLS test server as a program, for the Windows tests under wine, which start it as a
// native Linux process: "tls_test_relay <certificate> <backend port> <port file>" writes the
// port it listens on to the port file and runs until that file is removed (the test ended),
// its parent is gone, or five minutes have passed. Each handshake it accepts is appended to
// "<port file>.handshakes" as "<server name>\t<resumed 0|1>".
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <thread>

#include "tests/support/posix/tls_relay.h"

int main(int argc, char** argv) {
  using lantervo::test::TestCertificate;
  if (argc != 4) {
    std::fprintf(stderr, "usage: tls_test_relay good|expired|wrong-name|untrusted PORT FILE\n");
    return 2;
  }
  const std::string name = argv[1];
  TestCertificate certificate = TestCertificate::Good;
  for (TestCertificate c : {TestCertificate::Good, TestCertificate::Expired,
                            TestCertificate::WrongName, TestCertificate::Untrusted}) {
    if (name == lantervo::test::TestCertificateName(c)) certificate = c;
  }
  const pid_t parent = getppid();
  const std::string file = argv[3];
  lantervo::test::TlsRelay relay(certificate, static_cast<std::uint16_t>(std::atoi(argv[2])),
                                 file + ".handshakes");
  const std::string partial = file + ".part";
  if (FILE* out = std::fopen(partial.c_str(), "w")) {
    std::fprintf(out, "%u\n", static_cast<unsigned>(relay.Port()));
    std::fclose(out);
  }
  // Whole or not at all: the test reads the file as soon as it exists.
  if (std::rename(partial.c_str(), file.c_str()) != 0) return 1;
  const auto end = std::chrono::steady_clock::now() + std::chrono::minutes(5);
  while (std::chrono::steady_clock::now() < end && access(file.c_str(), F_OK) == 0 &&
         getppid() == parent) {
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
  }
  std::remove(file.c_str());
  std::remove((file + ".handshakes").c_str());
  return 0;
}
