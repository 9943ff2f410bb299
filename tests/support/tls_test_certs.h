#pragma once
// The certificates of the loopback TLS test server (tests/support/tls, made by make_certs.sh),
// built into the test programs so that no test reads them from a path.
namespace lantervo::test {

enum class TestCertificate {
  Good,       // issued by the test CA for 127.0.0.1 and "localhost"
  Expired,    // the same names, valid only during 2020
  WrongName,  // issued by the test CA for "wrong-name.example"
  Untrusted,  // 127.0.0.1 and "localhost", issued by a CA nobody trusts
};

// The test CA, the one trust anchor the tests give the client.
const char* TestCaPem();
const char* TestCertificatePem(TestCertificate certificate);
const char* TestKeyPem(TestCertificate certificate);
// The name the TLS relay program takes on its command line.
const char* TestCertificateName(TestCertificate certificate);

}  // namespace lantervo::test
