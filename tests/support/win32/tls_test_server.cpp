#include "tests/support/tls_test_server.h"

#include <windows.h>

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <stdexcept>

namespace lantervo::test {

namespace {

const char* RelayProgram() {
  const char* path = std::getenv("LANTERVO_TLS_RELAY");
  return path && *path ? path : nullptr;
}

// Wine shows the Linux root as drive Z:.
std::string WindowsPathOf(const std::string& linuxPath) {
  std::string path = "Z:" + linuxPath;
  for (char& c : path)
    if (c == '/') c = '\\';
  return path;
}

}  // namespace

// The relay runs as a native Linux process beside wine. It writes its port to a file in /tmp
// and ends once the file is removed.
class TlsTestServer::Impl {
 public:
  Impl(TestCertificate certificate, std::uint16_t backendPort) {
    const char* program = RelayProgram();
    if (!program) throw std::runtime_error("LANTERVO_TLS_RELAY is not set");
    // Now and then a program started from wine never runs; a start that writes no port within
    // its wait is given up and made again, three times in all.
    std::string command;
    for (int attempt = 0; attempt < 3 && port_ == 0; ++attempt) {
      static std::atomic<int> serial{0};
      portFile_ = "/tmp/lantervo-tls-relay-" + std::to_string(GetCurrentProcessId()) + "-" +
                  std::to_string(GetTickCount()) + "-" + std::to_string(++serial) + ".port";
      portFiles_.push_back(portFile_);
      command = std::string(program) + " " + TestCertificateName(certificate) + " " +
                std::to_string(backendPort) + " " + portFile_;
      STARTUPINFOA startup{};
      startup.cb = sizeof startup;
      PROCESS_INFORMATION process{};
      if (!CreateProcessA(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                          &startup, &process)) {
        continue;
      }
      if (process.hThread) CloseHandle(process.hThread);
      if (process.hProcess) CloseHandle(process.hProcess);
      const std::string file = WindowsPathOf(portFile_);
      // A loaded machine may take a while to start a process under wine; the wait only ends
      // early.
      for (int i = 0; i < 400 && port_ == 0; ++i) {
        if (FILE* in = std::fopen(file.c_str(), "r")) {
          unsigned port = 0;
          if (std::fscanf(in, "%u", &port) == 1) port_ = static_cast<std::uint16_t>(port);
          std::fclose(in);
        }
        if (port_ == 0) Sleep(50);
      }
      if (port_ == 0) std::remove(file.c_str());
    }
    if (port_ == 0) throw std::runtime_error("TLS test server: no port from " + command);
  }
  ~Impl() {
    // A relay that started late wrote its file after it was given up: removing it ends that one.
    for (const std::string& file : portFiles_) std::remove(WindowsPathOf(file).c_str());
    std::remove(WindowsPathOf(portFile_ + ".handshakes").c_str());
  }
  std::uint16_t Port() const { return port_; }
  std::vector<TlsHandshake> Handshakes() const {
    std::vector<TlsHandshake> handshakes;
    FILE* in = std::fopen(WindowsPathOf(portFile_ + ".handshakes").c_str(), "r");
    if (!in) return handshakes;
    char line[512];
    while (std::fgets(line, sizeof line, in)) {
      std::string text(line);
      const std::size_t tab = text.find('\t');
      if (tab == std::string::npos) continue;
      handshakes.push_back({text.substr(0, tab), text.compare(tab + 1, 1, "1") == 0});
    }
    std::fclose(in);
    return handshakes;
  }

 private:
  std::string portFile_;
  std::vector<std::string> portFiles_;  // of every start, the last one's included
  std::uint16_t port_ = 0;
};

TlsTestServer::TlsTestServer(TestCertificate certificate, std::uint16_t backendPort)
    : impl_(std::make_unique<Impl>(certificate, backendPort)) {}

TlsTestServer::~TlsTestServer() = default;

std::uint16_t TlsTestServer::Port() const {
  return impl_->Port();
}

std::vector<TlsHandshake> TlsTestServer::Handshakes() const {
  return impl_->Handshakes();
}

std::string TlsTestServerUnavailable() {
  if (RelayProgram()) return {};
  return "no TLS test server: LANTERVO_TLS_RELAY names no relay program (scripts/test sets it "
         "to build/linux/tests/support/tls_test_relay)";
}

}  // namespace lantervo::test
