#include "platform/tls.h"

#include "platform/socket.h"

#define SECURITY_WIN32
#define SCHANNEL_USE_BLACKLISTS
#include <windows.h>
#include <winternl.h>
// After windows.h.
#include <schannel.h>
#include <security.h>
#include <wincrypt.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <optional>
#include <vector>

namespace lantervo::platform {

namespace {

// SECURITY_FLAG_IGNORE_CERT_CN_INVALID of wininet.h, which this file has no other use for.
constexpr DWORD kIgnoreCommonName = 0x00001000;

std::string Hex(long code) {
  char text[16];
  std::snprintf(text, sizeof text, "0x%08lX", static_cast<unsigned long>(code));
  return text;
}

std::string HandshakeReason(SECURITY_STATUS status) {
  switch (status) {
    case SEC_E_ILLEGAL_MESSAGE:
      return "the server's answer is not TLS";
    case SEC_E_ALGORITHM_MISMATCH:
    case SEC_E_UNSUPPORTED_FUNCTION:
      return "no protocol version or cipher in common";
    case SEC_E_DECRYPT_FAILURE:
    case SEC_E_MESSAGE_ALTERED:
      return "a record could not be decrypted";
    default:
      return "error " + Hex(status);
  }
}

std::wstring Wide(const std::string& text) {
  std::wstring wide(text.size(), L'\0');
  const int n = MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()),
                                    wide.data(), static_cast<int>(wide.size()));
  wide.resize(n > 0 ? static_cast<std::size_t>(n) : 0);
  return wide;
}

class SChannelContext : public TlsContext {
 public:
  explicit SChannelContext(const std::string& trustAnchorsPem) {
    if (!trustAnchorsPem.empty()) {
      anchors_ = CertOpenStore(CERT_STORE_PROV_MEMORY, 0, 0, 0, nullptr);
      std::size_t at = 0;
      const std::string begin = "-----BEGIN CERTIFICATE-----";
      const std::string end = "-----END CERTIFICATE-----";
      while ((at = trustAnchorsPem.find(begin, at)) != std::string::npos) {
        const std::size_t stop = trustAnchorsPem.find(end, at);
        if (stop == std::string::npos) break;
        const std::string pem = trustAnchorsPem.substr(at, stop + end.size() - at);
        DWORD size = 0;
        if (CryptStringToBinaryA(pem.c_str(), static_cast<DWORD>(pem.size()),
                                 CRYPT_STRING_BASE64HEADER, nullptr, &size, nullptr, nullptr)) {
          std::vector<BYTE> der(size);
          if (CryptStringToBinaryA(pem.c_str(), static_cast<DWORD>(pem.size()),
                                   CRYPT_STRING_BASE64HEADER, der.data(), &size, nullptr,
                                   nullptr)) {
            CertAddEncodedCertificateToStore(anchors_, X509_ASN_ENCODING, der.data(), size,
                                             CERT_STORE_ADD_ALWAYS, nullptr);
          }
        }
        at = stop;
      }
    }
    // The certificate is checked by VerifyServer below, so that the failures read the same
    // whichever trust anchors are in use.
    TLS_PARAMETERS parameters{};
    parameters.grbitDisabledProtocols =
        ~static_cast<DWORD>(SP_PROT_TLS1_2_CLIENT | SP_PROT_TLS1_3_CLIENT);
    SCH_CREDENTIALS credentials{};
    credentials.dwVersion = SCH_CREDENTIALS_VERSION;
    credentials.dwFlags = SCH_CRED_MANUAL_CRED_VALIDATION | SCH_CRED_NO_DEFAULT_CREDS;
    credentials.cTlsParameters = 1;
    credentials.pTlsParameters = &parameters;
    TimeStamp expiry;
    SECURITY_STATUS status =
        AcquireCredentialsHandleW(nullptr, const_cast<wchar_t*>(UNISP_NAME_W), SECPKG_CRED_OUTBOUND,
                                  nullptr, &credentials, nullptr, nullptr, &handle_, &expiry);
    if (status != SEC_E_OK) {
      // Windows before 10 knows only the older structure, and no TLS 1.3.
      SCHANNEL_CRED older{};
      older.dwVersion = SCHANNEL_CRED_VERSION;
      older.dwFlags = SCH_CRED_MANUAL_CRED_VALIDATION | SCH_CRED_NO_DEFAULT_CREDS;
      older.grbitEnabledProtocols = SP_PROT_TLS1_2_CLIENT;
      status = AcquireCredentialsHandleW(nullptr, const_cast<wchar_t*>(UNISP_NAME_W),
                                         SECPKG_CRED_OUTBOUND, nullptr, &older, nullptr, nullptr,
                                         &handle_, &expiry);
    }
    if (status != SEC_E_OK) {
      if (anchors_) CertCloseStore(anchors_, 0);
      throw TlsError(TlsFailure::Handshake, HandshakeReason(status));
    }
  }
  ~SChannelContext() override {
    FreeCredentialsHandle(&handle_);
    if (anchors_) CertCloseStore(anchors_, 0);
  }
  CredHandle* Handle() { return &handle_; }
  HCERTSTORE Anchors() const { return anchors_; }

 private:
  CredHandle handle_{};
  HCERTSTORE anchors_ = nullptr;
};

class SChannelSession : public TlsSession {
 public:
  SChannelSession(SChannelContext& context, const std::string& host) : shared_(context) {
    name_ = host;
    if (name_.size() >= 2 && name_.front() == '[' && name_.back() == ']')
      name_ = name_.substr(1, name_.size() - 2);
    wideName_ = Wide(name_);
    target_ = wideName_.data();
    // An address goes out as no server name, as the name extension allows only host names;
    // SChannel sends what it is given. Resumption is then by credentials alone.
    if (ParseIpAddress(name_)) target_ = nullptr;
  }
  ~SChannelSession() override {
    if (haveContext_) DeleteSecurityContext(&handle_);
  }

  bool Handshake(std::string& in, std::string& out) override {
    for (;;) {
      if (haveContext_ && in.empty()) return false;
      const SECURITY_STATUS status = Step(in, out);
      if (status == SEC_E_INCOMPLETE_MESSAGE) return false;
      if (status == SEC_E_OK) {
        VerifyServer();
        QueryContextAttributesW(&handle_, SECPKG_ATTR_STREAM_SIZES, &sizes_);
        return true;
      }
    }
  }

  void Encrypt(std::string_view plain, std::string& out) override {
    std::vector<char> record;
    while (!plain.empty()) {
      const std::size_t chunk = std::min<std::size_t>(plain.size(), sizes_.cbMaximumMessage);
      record.resize(sizes_.cbHeader + chunk + sizes_.cbTrailer);
      std::memcpy(record.data() + sizes_.cbHeader, plain.data(), chunk);
      SecBuffer buffers[4] = {
          {sizes_.cbHeader, SECBUFFER_STREAM_HEADER, record.data()},
          {static_cast<unsigned long>(chunk), SECBUFFER_DATA, record.data() + sizes_.cbHeader},
          {sizes_.cbTrailer, SECBUFFER_STREAM_TRAILER, record.data() + sizes_.cbHeader + chunk},
          {0, SECBUFFER_EMPTY, nullptr}};
      SecBufferDesc desc{SECBUFFER_VERSION, 4, buffers};
      const SECURITY_STATUS status = EncryptMessage(&handle_, 0, &desc, 0);
      if (status != SEC_E_OK) throw TlsError(TlsFailure::Handshake, HandshakeReason(status));
      out.append(record.data(), buffers[0].cbBuffer + buffers[1].cbBuffer + buffers[2].cbBuffer);
      plain.remove_prefix(chunk);
    }
  }

  bool Decrypt(std::string& in, std::string& plain, std::string& out) override {
    while (!in.empty()) {
      SecBuffer buffers[4] = {{static_cast<unsigned long>(in.size()), SECBUFFER_DATA, in.data()},
                              {0, SECBUFFER_EMPTY, nullptr},
                              {0, SECBUFFER_EMPTY, nullptr},
                              {0, SECBUFFER_EMPTY, nullptr}};
      SecBufferDesc desc{SECBUFFER_VERSION, 4, buffers};
      const SECURITY_STATUS status = DecryptMessage(&handle_, &desc, 0, nullptr);
      if (status == SEC_E_INCOMPLETE_MESSAGE) return true;
      if (status == SEC_I_CONTEXT_EXPIRED) {
        in.clear();
        return false;
      }
      if (status != SEC_E_OK && status != SEC_I_RENEGOTIATE)
        throw TlsError(TlsFailure::Handshake, HandshakeReason(status));
      std::size_t extra = 0;
      for (const SecBuffer& b : buffers) {
        if (b.BufferType == SECBUFFER_DATA && b.cbBuffer > 0)
          plain.append(static_cast<const char*>(b.pvBuffer), b.cbBuffer);
        if (b.BufferType == SECBUFFER_EXTRA) extra = b.cbBuffer;
      }
      in.erase(0, in.size() - extra);
      if (status == SEC_I_RENEGOTIATE) {
        // A message after the handshake (a TLS 1.3 session ticket or key update): the
        // context takes it through the handshake call, which may have an answer.
        Renegotiate(in, out);
      }
    }
    return true;
  }

 private:
  static constexpr DWORD kRequest = ISC_REQ_SEQUENCE_DETECT | ISC_REQ_REPLAY_DETECT |
                                    ISC_REQ_CONFIDENTIALITY | ISC_REQ_ALLOCATE_MEMORY |
                                    ISC_REQ_STREAM | ISC_REQ_MANUAL_CRED_VALIDATION;

  // What a handshake step has for the server goes out; the context's buffer is given back.
  static void TakeToken(SecBuffer& token, std::string& out) {
    if (token.cbBuffer == 0 || !token.pvBuffer) return;
    out.append(static_cast<const char*>(token.pvBuffer), token.cbBuffer);
    FreeContextBuffer(token.pvBuffer);
  }
  // What the step did not use stays for the next one (or for the first records).
  static void KeepExtra(const SecBuffer& extra, std::string& in) {
    if (extra.BufferType == SECBUFFER_EXTRA)
      in.erase(0, in.size() - extra.cbBuffer);
    else
      in.clear();
  }

  void Renegotiate(std::string& in, std::string& out) {
    const SECURITY_STATUS status = Step(in, out);
    if (status == SEC_E_INCOMPLETE_MESSAGE)
      throw TlsError(TlsFailure::Handshake, HandshakeReason(status));
  }

  // One call of the handshake: what the server sent goes in, what it is to get comes out, and
  // the bytes the step did not use stay in `in`. A message that has not fully arrived leaves
  // `in` as it was; any other failure throws.
  SECURITY_STATUS Step(std::string& in, std::string& out) {
    SecBuffer inBuffers[2] = {{static_cast<unsigned long>(in.size()), SECBUFFER_TOKEN, in.data()},
                              {0, SECBUFFER_EMPTY, nullptr}};
    SecBufferDesc inDesc{SECBUFFER_VERSION, 2, inBuffers};
    SecBuffer outBuffers[1] = {{0, SECBUFFER_TOKEN, nullptr}};
    SecBufferDesc outDesc{SECBUFFER_VERSION, 1, outBuffers};
    DWORD granted = 0;
    TimeStamp expiry;
    const SECURITY_STATUS status = InitializeSecurityContextW(
        shared_.Handle(), haveContext_ ? &handle_ : nullptr, target_, kRequest, 0, 0,
        haveContext_ ? &inDesc : nullptr, 0, &handle_, &outDesc, &granted, &expiry);
    haveContext_ = true;
    TakeToken(outBuffers[0], out);
    if (status == SEC_E_INCOMPLETE_MESSAGE) return status;
    if (status != SEC_E_OK && status != SEC_I_CONTINUE_NEEDED)
      throw TlsError(TlsFailure::Handshake, HandshakeReason(status));
    KeepExtra(inBuffers[1], in);
    return status;
  }

  // The chain to a trusted root (the given anchors only, or the system's roots), the validity
  // period and the host name, as OpenSSL checks them on Linux.
  void VerifyServer() {
    PCCERT_CONTEXT server = nullptr;
    if (QueryContextAttributesW(&handle_, SECPKG_ATTR_REMOTE_CERT_CONTEXT, &server) != SEC_E_OK ||
        !server) {
      throw TlsError(TlsFailure::Handshake, "the server sent no certificate");
    }
    HCERTSTORE extra = CertOpenStore(CERT_STORE_PROV_COLLECTION, 0, 0, 0, nullptr);
    CertAddStoreToCollection(extra, server->hCertStore, 0, 0);
    if (shared_.Anchors()) CertAddStoreToCollection(extra, shared_.Anchors(), 0, 0);
    CERT_CHAIN_PARA chainPara{};
    chainPara.cbSize = sizeof chainPara;
    PCCERT_CHAIN_CONTEXT chain = nullptr;
    const BOOL built =
        CertGetCertificateChain(nullptr, server, nullptr, extra, &chainPara, 0, nullptr, &chain);
    CertCloseStore(extra, 0);
    if (!built || !chain) {
      CertFreeCertificateContext(server);
      throw TlsError(TlsFailure::Untrusted, "");
    }
    LONG policyError = 0;
    bool anchored = true;
    if (shared_.Anchors()) {
      // Only a chain that ends in one of the given anchors counts.
      const CERT_SIMPLE_CHAIN* simple = chain->rgpChain[0];
      const PCCERT_CONTEXT root = simple->rgpElement[simple->cElement - 1]->pCertContext;
      PCCERT_CONTEXT match = CertFindCertificateInStore(shared_.Anchors(), X509_ASN_ENCODING, 0,
                                                        CERT_FIND_EXISTING, root, nullptr);
      anchored = match != nullptr;
      if (match) CertFreeCertificateContext(match);
    }
    // An address literal is matched against the certificate's addresses here: not every
    // policy provider (wine's) compares them.
    const std::optional<IpAddress> address = ParseIpAddress(name_);
    const bool addressMatches = address && NamesAddress(server, *address);
    SSL_EXTRA_CERT_CHAIN_POLICY_PARA ssl{};
    ssl.cbSize = sizeof ssl;
    ssl.dwAuthType = AUTHTYPE_SERVER;
    ssl.pwszServerName = const_cast<wchar_t*>(wideName_.c_str());
    if (address) ssl.fdwChecks = kIgnoreCommonName;
    CERT_CHAIN_POLICY_PARA policyPara{};
    policyPara.cbSize = sizeof policyPara;
    // An anchor of our own is not among the system's roots; it was checked above instead.
    policyPara.dwFlags = shared_.Anchors() ? CERT_CHAIN_POLICY_ALLOW_UNKNOWN_CA_FLAG : 0;
    policyPara.pvExtraPolicyPara = &ssl;
    CERT_CHAIN_POLICY_STATUS policy{};
    policy.cbSize = sizeof policy;
    if (!CertVerifyCertificateChainPolicy(CERT_CHAIN_POLICY_SSL, chain, &policyPara, &policy))
      policyError = static_cast<LONG>(GetLastError());
    else
      policyError = policy.dwError;
    const DWORD trustErrors = chain->TrustStatus.dwErrorStatus;
    CertFreeCertificateChain(chain);
    CertFreeCertificateContext(server);
    // Some policy providers (wine's) pass a chain that stops short of any root.
    DWORD untrusted = CERT_TRUST_IS_PARTIAL_CHAIN | CERT_TRUST_IS_NOT_SIGNATURE_VALID;
    if (!shared_.Anchors()) untrusted |= CERT_TRUST_IS_UNTRUSTED_ROOT;
    if (!anchored || (trustErrors & untrusted)) throw TlsError(TlsFailure::Untrusted, "");
    if (address && policyError == 0 && !addressMatches) policyError = CERT_E_CN_NO_MATCH;
    if (address && policyError == CERT_E_CN_NO_MATCH && addressMatches) policyError = 0;
    if (policyError == 0 && (trustErrors & CERT_TRUST_IS_NOT_TIME_VALID))
      policyError = CERT_E_EXPIRED;
    switch (policyError) {
      case 0:
        return;
      case CERT_E_EXPIRED:
        throw TlsError(TlsFailure::Expired, "");
      case CERT_E_CN_NO_MATCH:
        throw TlsError(TlsFailure::NameMismatch, name_);
      case CERT_E_UNTRUSTEDROOT:
      case CERT_E_CHAINING:
      case TRUST_E_CERT_SIGNATURE:
        throw TlsError(TlsFailure::Untrusted, "");
      default:
        throw TlsError(TlsFailure::Certificate, "error " + Hex(policyError));
    }
  }

  // Whether the certificate's alternative names hold `address`.
  static bool NamesAddress(PCCERT_CONTEXT cert, const IpAddress& address) {
    const CERT_EXTENSION* extension = CertFindExtension(
        szOID_SUBJECT_ALT_NAME2, cert->pCertInfo->cExtension, cert->pCertInfo->rgExtension);
    if (!extension) return false;
    CERT_ALT_NAME_INFO* names = nullptr;
    DWORD size = 0;
    if (!CryptDecodeObjectEx(X509_ASN_ENCODING, X509_ALTERNATE_NAME, extension->Value.pbData,
                             extension->Value.cbData, CRYPT_DECODE_ALLOC_FLAG, nullptr, &names,
                             &size)) {
      return false;
    }
    const std::size_t length = address.v6 ? 16 : 4;
    bool found = false;
    for (DWORD i = 0; i < names->cAltEntry && !found; ++i) {
      const CERT_ALT_NAME_ENTRY& entry = names->rgAltEntry[i];
      found = entry.dwAltNameChoice == CERT_ALT_NAME_IP_ADDRESS &&
              entry.IPAddress.cbData == length &&
              std::memcmp(entry.IPAddress.pbData, address.bytes.data(), length) == 0;
    }
    LocalFree(names);
    return found;
  }

  SChannelContext& shared_;
  CtxtHandle handle_{};
  bool haveContext_ = false;
  SecPkgContext_StreamSizes sizes_{};
  std::string name_;
  std::wstring wideName_;
  // The server name InitializeSecurityContext sends and finds cached sessions by; null for an
  // address.
  wchar_t* target_ = nullptr;
};

}  // namespace

std::shared_ptr<TlsContext> MakeTlsContext(const std::string& trustAnchorsPem) {
  return std::make_shared<SChannelContext>(trustAnchorsPem);
}

std::unique_ptr<TlsSession> StartTlsSession(TlsContext& context, const std::string& host,
                                            int /*port*/) {
  return std::make_unique<SChannelSession>(static_cast<SChannelContext&>(context), host);
}

std::string TlsLibraryVersion() {
  return "SChannel";
}

}  // namespace lantervo::platform
