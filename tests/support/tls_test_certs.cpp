#include "tests/support/tls_test_certs.h"

#include "tls_test_certs_data.h"

namespace lantervo::test {

const char* TestCaPem() {
  return kPem_test_ca;
}

const char* TestCertificatePem(TestCertificate certificate) {
  switch (certificate) {
    case TestCertificate::Good:
      return kPem_localhost;
    case TestCertificate::Expired:
      return kPem_expired;
    case TestCertificate::WrongName:
      return kPem_wrong_name;
    case TestCertificate::Untrusted:
      break;
  }
  return kPem_untrusted;
}

const char* TestKeyPem(TestCertificate certificate) {
  switch (certificate) {
    case TestCertificate::Good:
      return kKey_localhost;
    case TestCertificate::Expired:
      return kKey_expired;
    case TestCertificate::WrongName:
      return kKey_wrong_name;
    case TestCertificate::Untrusted:
      break;
  }
  return kKey_untrusted;
}

const char* TestCertificateName(TestCertificate certificate) {
  switch (certificate) {
    case TestCertificate::Good:
      return "good";
    case TestCertificate::Expired:
      return "expired";
    case TestCertificate::WrongName:
      return "wrong-name";
    case TestCertificate::Untrusted:
      break;
  }
  return "untrusted";
}

}  // namespace lantervo::test
