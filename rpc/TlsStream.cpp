// TLS 1.2 at least. With an authority file, OpenSSL checks the chain, the dates and the host
// name (or IP address) during the handshake; with a pinned fingerprint the handshake takes any
// certificate and the client then compares its digest and dates before sending anything.
#include "rpc/TlsStream.h"

#include <openssl/evp.h>
#include <openssl/ssl.h>
#include <openssl/x509.h>
#include <openssl/x509v3.h>

#include <asio.hpp>
#include <asio/ssl.hpp>
#include <cctype>
#include <optional>

#include "rpc/RpcError.h"
#include "rpc/StreamWait.h"

namespace rpc {

using asio::ip::tcp;

namespace {

// "ab:cd …" or "ABCD…" as "AB:CD:…"; empty when it is not 32 bytes in hex.
std::string NormalFingerprint(const std::string& text) {
    std::string hex;
    for (const char c : text) {
        if (c == ':' || c == ' ') continue;
        if (!std::isxdigit(static_cast<unsigned char>(c))) return {};
        hex += static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    }
    if (hex.size() != 64) return {};
    std::string normal;
    for (std::size_t i = 0; i < hex.size(); i += 2) {
        if (i > 0) normal += ':';
        normal += hex.substr(i, 2);
    }
    return normal;
}

std::string FingerprintOf(X509* certificate) {
    unsigned char digest[EVP_MAX_MD_SIZE];
    unsigned int size = 0;
    if (X509_digest(certificate, EVP_sha256(), digest, &size) != 1) return {};
    static constexpr char kHex[] = "0123456789ABCDEF";
    std::string text;
    for (unsigned int i = 0; i < size; ++i) {
        if (i > 0) text += ':';
        text += kHex[digest[i] >> 4];
        text += kHex[digest[i] & 0xf];
    }
    return text;
}

std::string VerifyFailure(long code, const std::string& host, const std::string& authorityFile) {
    switch (code) {
        case X509_V_ERR_CERT_HAS_EXPIRED:
            return "o certificado expirou";
        case X509_V_ERR_CERT_NOT_YET_VALID:
            return "o certificado ainda não está em vigor";
        case X509_V_ERR_HOSTNAME_MISMATCH:
        case X509_V_ERR_IP_ADDRESS_MISMATCH:
            return "o certificado não foi emitido para " + host;
        case X509_V_ERR_DEPTH_ZERO_SELF_SIGNED_CERT:
        case X509_V_ERR_SELF_SIGNED_CERT_IN_CHAIN:
        case X509_V_ERR_UNABLE_TO_GET_ISSUER_CERT:
        case X509_V_ERR_UNABLE_TO_GET_ISSUER_CERT_LOCALLY:
        case X509_V_ERR_UNABLE_TO_VERIFY_LEAF_SIGNATURE:
        case X509_V_ERR_CERT_SIGNATURE_FAILURE:
            return "o certificado não foi assinado pela autoridade certificadora de " +
                   authorityFile;
        default:
            return "a verificação do certificado falhou (código " + std::to_string(code) + ")";
    }
}

}  // namespace

struct TlsStream::Impl {
    asio::io_context io;
    std::optional<asio::ssl::context> context;
    std::optional<asio::ssl::stream<tcp::socket>> stream;
    std::string fingerprint;

    std::error_code Run(Deadline deadline, const bool& done, const std::error_code& result) {
        return detail::RunUntil(io, stream->next_layer(), deadline, done, result);
    }
};

TlsStream::TlsStream(std::string host, std::uint16_t port, TlsTrust trust)
    : host_(std::move(host)),
      port_(port),
      trust_(std::move(trust)),
      impl_(std::make_unique<Impl>()) {}

TlsStream::~TlsStream() = default;

std::string TlsStream::Where() const {
    return host_ + ":" + std::to_string(port_);
}

std::string TlsStream::Fingerprint() const {
    return impl_->fingerprint;
}

bool TlsStream::IsOpen() const {
    return impl_->stream && impl_->stream->next_layer().is_open();
}

void TlsStream::Close() {
    if (!impl_->stream) return;
    std::error_code ignored;
    impl_->stream->next_layer().close(ignored);
}

void TlsStream::Open(Deadline deadline) {
    Impl& impl = *impl_;
    const auto untrusted = [&](const std::string& why) {
        Close();
        return TransportError("O certificado do servidor de aplicação em " + Where() +
                              " não é confiável: " + why + ".");
    };
    const std::string pinned = NormalFingerprint(trust_.fingerprint);
    if (!trust_.fingerprint.empty() && pinned.empty())
        throw TransportError("A impressão digital configurada para o servidor de aplicação em " +
                             Where() +
                             " não é válida: são 32 bytes em hexadecimal (AB:CD:…), não '" +
                             trust_.fingerprint + "'.");
    if (trust_.authorityFile.empty() && pinned.empty())
        throw TransportError(
            "Nenhuma autoridade certificadora nem impressão digital para "
            "confiar no servidor de aplicação em " +
            Where() + ".");

    impl.stream.reset();
    impl.fingerprint.clear();
    impl.context.emplace(asio::ssl::context::tls_client);
    SSL_CTX_set_min_proto_version(impl.context->native_handle(), TLS1_2_VERSION);
    if (!trust_.authorityFile.empty()) {
        std::error_code ec;
        impl.context->load_verify_file(trust_.authorityFile, ec);
        if (ec)
            throw TransportError("Não foi possível ler a autoridade certificadora em " +
                                 trust_.authorityFile + " (um certificado PEM).");
        impl.context->set_verify_mode(asio::ssl::verify_peer);
    } else {
        // Only the pinned certificate counts, whoever signed it: it is checked after the
        // handshake, before anything is sent.
        impl.context->set_verify_mode(asio::ssl::verify_peer);
        impl.context->set_verify_callback([](bool, asio::ssl::verify_context&) { return true; });
    }
    impl.stream.emplace(impl.io, *impl.context);

    SSL* ssl = impl.stream->native_handle();
    std::error_code notAddress;
    asio::ip::make_address(host_, notAddress);
    if (notAddress)  // the server name for the handshake, as SSL_set_tlsext_host_name sets it
        SSL_ctrl(ssl, SSL_CTRL_SET_TLSEXT_HOSTNAME, TLSEXT_NAMETYPE_host_name,
                 const_cast<char*>(host_.c_str()));
    if (!trust_.authorityFile.empty()) {
        X509_VERIFY_PARAM* param = SSL_get0_param(ssl);
        if (notAddress)
            X509_VERIFY_PARAM_set1_host(param, host_.c_str(), 0);
        else
            X509_VERIFY_PARAM_set1_ip_asc(param, host_.c_str());
    }

    detail::ConnectTcp(impl.io, impl.stream->next_layer(), host_, port_, deadline, Where());
    bool done = false;
    std::error_code result;
    impl.stream->async_handshake(asio::ssl::stream_base::client, [&](std::error_code e) {
        result = e;
        done = true;
    });
    const std::error_code ec = impl.Run(deadline, done, result);
    if (ec) {
        const long verified = SSL_get_verify_result(ssl);
        if (!trust_.authorityFile.empty() && verified != X509_V_OK)
            throw untrusted(VerifyFailure(verified, host_, trust_.authorityFile));
        Close();
        throw TransportError(
            "Não foi possível estabelecer uma conexão segura (TLS) com o "
            "servidor de aplicação em " +
            Where() + ": " +
            (ec == std::errc::timed_out ? std::string("tempo esgotado")
                                        : "verifique se o servidor usa TLS nessa porta") +
            ".");
    }

    X509* certificate = SSL_get1_peer_certificate(ssl);
    if (certificate == nullptr) throw untrusted("o servidor não apresentou certificado");
    impl.fingerprint = FingerprintOf(certificate);
    const bool expired = X509_cmp_current_time(X509_get0_notAfter(certificate)) < 0;
    const bool early = X509_cmp_current_time(X509_get0_notBefore(certificate)) > 0;
    X509_free(certificate);
    if (!pinned.empty()) {
        if (impl.fingerprint != pinned)
            throw untrusted("a impressão digital do certificado é " + impl.fingerprint +
                            ", não a configurada " + pinned);
        if (expired) throw untrusted(VerifyFailure(X509_V_ERR_CERT_HAS_EXPIRED, host_, {}));
        if (early) throw untrusted(VerifyFailure(X509_V_ERR_CERT_NOT_YET_VALID, host_, {}));
    }
}

std::error_code TlsStream::Write(std::string_view bytes, Deadline deadline) {
    return detail::WriteUntil(impl_->io, *impl_->stream, impl_->stream->next_layer(), bytes,
                              deadline);
}

std::error_code TlsStream::ReadSome(char* into, std::size_t room, Deadline deadline,
                                    std::size_t& got) {
    const std::error_code ec = detail::ReadSomeUntil(
        impl_->io, *impl_->stream, impl_->stream->next_layer(), into, room, deadline, got);
    // A server closing without TLS's farewell has ended the connection all the same.
    if (ec == asio::ssl::error::stream_truncated) return asio::error::eof;
    return ec;
}

}  // namespace rpc
