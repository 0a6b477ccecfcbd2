// The same sessions over the other transports: a local socket names the caller's user, TLS serves
// only a client that trusts the server's certificate, and neither changes what a call answers.
#include <gtest/gtest.h>
#include <openssl/evp.h>
#include <openssl/pem.h>
#include <openssl/x509v3.h>
#include <sys/stat.h>
#include <unistd.h>

#include <asio.hpp>
#include <filesystem>
#include <ostream>

#include "rpc/Client.h"
#include "rpc/ResultStream.h"
#include "rpc/RpcError.h"
#include "rpc/Server.h"

namespace {

using nlohmann::json;
namespace fs = std::filesystem;

// A folder of the test's own, removed with it.
class TempDir {
  public:
    TempDir() {
        std::string name = (fs::temp_directory_path() / "saldo-transport-XXXXXX").string();
        path_ = mkdtemp(name.data());
    }
    ~TempDir() { fs::remove_all(path_); }
    const fs::path& Path() const { return path_; }

  private:
    fs::path path_;
};

// A key and a certificate for it, written to PEM files: an authority of its own, or a server's
// signed by an authority, valid `from`..`to` seconds around now.
class Issued {
  public:
    Issued(const fs::path& dir, const std::string& name, const Issued* authority,
           const char* altName, long from = -3600, long to = 86400)
        : key_(EVP_EC_gen("P-256"), EVP_PKEY_free), certificate_(X509_new(), X509_free) {
        X509* c = certificate_.get();
        X509_set_version(c, 2);
        ASN1_INTEGER_set(X509_get_serialNumber(c), ++serial_);
        X509_gmtime_adj(X509_getm_notBefore(c), from);
        X509_gmtime_adj(X509_getm_notAfter(c), to);
        X509_set_pubkey(c, key_.get());
        X509_NAME_add_entry_by_txt(X509_get_subject_name(c), "CN", MBSTRING_UTF8,
                                   reinterpret_cast<const unsigned char*>(name.c_str()), -1, -1, 0);
        X509* issuer = authority ? authority->certificate_.get() : c;
        X509_set_issuer_name(c, X509_get_subject_name(issuer));
        X509V3_CTX context;
        X509V3_set_ctx(&context, issuer, c, nullptr, nullptr, 0);
        const auto extend = [&](int nid, const char* value) {
            X509_EXTENSION* e = X509V3_EXT_conf_nid(nullptr, &context, nid, value);
            X509_add_ext(c, e, -1);
            X509_EXTENSION_free(e);
        };
        extend(NID_basic_constraints, authority ? "critical,CA:FALSE" : "critical,CA:TRUE");
        if (altName) extend(NID_subject_alt_name, altName);
        X509_sign(c, authority ? authority->key_.get() : key_.get(), EVP_sha256());
        certificateFile_ = (dir / (name + ".pem")).string();
        keyFile_ = (dir / (name + ".key")).string();
        BIO* out = BIO_new_file(certificateFile_.c_str(), "w");
        PEM_write_bio_X509(out, c);
        BIO_free(out);
        out = BIO_new_file(keyFile_.c_str(), "w");
        PEM_write_bio_PrivateKey(out, key_.get(), nullptr, nullptr, 0, nullptr, nullptr);
        BIO_free(out);
    }
    const std::string& CertificateFile() const { return certificateFile_; }
    const std::string& KeyFile() const { return keyFile_; }
    std::string Fingerprint() const {
        unsigned char digest[EVP_MAX_MD_SIZE];
        unsigned int size = 0;
        X509_digest(certificate_.get(), EVP_sha256(), digest, &size);
        std::string text;
        char hex[4];
        for (unsigned int i = 0; i < size; ++i) {
            std::snprintf(hex, sizeof hex, i ? ":%02X" : "%02X", digest[i]);
            text += hex;
        }
        return text;
    }

  private:
    static inline long serial_ = 0;
    std::unique_ptr<EVP_PKEY, decltype(&EVP_PKEY_free)> key_;
    std::unique_ptr<X509, decltype(&X509_free)> certificate_;
    std::string certificateFile_;
    std::string keyFile_;
};

class TransportTest : public testing::Test {
  protected:
    TransportTest() {
        // The connection the call came on, as the method sees it.
        dispatcher_.AddMethod("S.m", "Who", [this](const rpc::Arguments& a) {
            ++calls_;
            const rpc::Connection& c = *a.Origin();
            return json{{"transport", static_cast<int>(c.transport)},
                        {"peer", c.peer},
                        {"uid", c.uid ? json(*c.uid) : json()}}
                .dump();
        });
        dispatcher_.AddStreamMethod("S.m", "Big",
                                    [](const rpc::Arguments& a, rpc::ResultStream& result) {
                                        const int count = a.All().at(0).get<int>();
                                        result.Text() += '[';
                                        for (int i = 0; i < count; ++i) {
                                            if (i > 0) result.Text() += ',';
                                            result.Text() += std::to_string(i);
                                            result.Mark();
                                        }
                                        result.Text() += ']';
                                    });
    }

    rpc::Dispatcher dispatcher_;
    std::atomic<int> calls_{0};
    TempDir dir_;
};

TEST_F(TransportTest, LocalSocketNamesTheCallersUserAndStreamsLargeReplies) {
    const std::string path = (dir_.Path() / "saldo.sock").string();
    {
        // A socket file left by a server that ended abruptly.
        asio::io_context io;
        asio::local::stream_protocol::acceptor stale(io,
                                                     asio::local::stream_protocol::endpoint(path));
    }
    ASSERT_TRUE(fs::exists(path));
    auto server = std::make_unique<rpc::Server>(dispatcher_);
    server->ListenLocal(path);
    server->Start();
    struct stat made {};
    ASSERT_EQ(stat(path.c_str(), &made), 0);
    EXPECT_EQ(made.st_mode & 0777, 0666u);

    rpc::Client client(rpc::Endpoint{rpc::Transport::Local, {}, 0, path});
    EXPECT_EQ(client.Call("S.m.Who", json::array()),
              (json{{"transport", static_cast<int>(rpc::Transport::Local)},
                    {"peer", "local"},
                    {"uid", getuid()}}));
    const json big = client.Call("S.m.Big", {300000});  // about 2 MB, in several pieces
    ASSERT_EQ(big.size(), 300000u);
    EXPECT_EQ(big.back(), 299999);

    server.reset();
    EXPECT_FALSE(fs::exists(path)) << "the socket file goes with the server";
    try {
        client.Call("S.m.Who", json::array());
        FAIL();
    } catch (const rpc::TransportError& e) {
        EXPECT_NE(std::string(e.what()).find("unix:" + path), std::string::npos) << e.what();
    }
}

struct Trusted {
    const char* name;
    // The server's certificate and the client's trust, from the test's authorities and
    // certificates; an empty reason means the call is served.
    std::function<std::pair<const Issued*, rpc::TlsTrust>(const struct Pki&)> setup;
    std::string reason;
};

// Names the row in test listings.
void PrintTo(const Trusted& row, std::ostream* out) {
    *out << row.name;
}

struct Pki {
    explicit Pki(const fs::path& dir)
        : authority(dir, "ca", nullptr, nullptr),
          other(dir, "other-ca", nullptr, nullptr),
          server(dir, "server", &authority, "IP:127.0.0.1,DNS:localhost"),
          expired(dir, "expired", &authority, "IP:127.0.0.1", -7200, -3600),
          elsewhere(dir, "elsewhere", &authority, "DNS:saldo.example") {}
    Issued authority, other, server, expired, elsewhere;
};

const Trusted kTrusted[] = {
    {"AuthorityThatSignedIt",
     [](const Pki& p) {
         return std::pair{&p.server, rpc::TlsTrust{p.authority.CertificateFile(), {}}};
     },
     ""},
    {"PinnedFingerprint",
     [](const Pki& p) {
         return std::pair{&p.server, rpc::TlsTrust{{}, p.server.Fingerprint()}};
     },
     ""},
    {"AnotherAuthority",
     [](const Pki& p) {
         return std::pair{&p.server, rpc::TlsTrust{p.other.CertificateFile(), {}}};
     },
     "o certificado não foi assinado pela autoridade certificadora de "},
    {"AnotherFingerprint",
     [](const Pki& p) {
         return std::pair{&p.server, rpc::TlsTrust{{}, p.other.Fingerprint()}};
     },
     "a impressão digital do certificado é "},
    {"ExpiredCertificate",
     [](const Pki& p) {
         return std::pair{&p.expired, rpc::TlsTrust{p.authority.CertificateFile(), {}}};
     },
     "o certificado expirou"},
    {"ExpiredPinnedCertificate",
     [](const Pki& p) {
         return std::pair{&p.expired, rpc::TlsTrust{{}, p.expired.Fingerprint()}};
     },
     "o certificado expirou"},
    {"CertificateOfAnotherHost",
     [](const Pki& p) {
         return std::pair{&p.elsewhere, rpc::TlsTrust{p.authority.CertificateFile(), {}}};
     },
     "o certificado não foi emitido para 127.0.0.1"},
};

class TlsTrustTest : public TransportTest, public testing::WithParamInterface<Trusted> {};

TEST_P(TlsTrustTest, OnlyATrustedServerHearsTheCall) {
    const Pki pki(dir_.Path());
    const auto [certificate, trust] = GetParam().setup(pki);
    rpc::Server server(dispatcher_);
    server.ListenTls("127.0.0.1", 0, certificate->CertificateFile(), certificate->KeyFile());
    server.Start();
    rpc::Client client(rpc::Endpoint{rpc::Transport::Tls, "127.0.0.1", server.Port(), {}}, {},
                       trust);
    const std::string& reason = GetParam().reason;
    try {
        const json who = client.Call("S.m.Who", json::array());
        EXPECT_TRUE(reason.empty()) << "served an untrusted server";
        EXPECT_EQ(who, (json{{"transport", static_cast<int>(rpc::Transport::Tls)},
                             {"peer", "127.0.0.1"},
                             {"uid", nullptr}}));
        EXPECT_EQ(client.Fingerprint(), certificate->Fingerprint());
    } catch (const rpc::TransportError& e) {
        const std::string prefix =
            "O certificado do servidor de aplicação em 127.0.0.1:" + std::to_string(server.Port()) +
            " não é confiável: " + reason;
        EXPECT_EQ(std::string(e.what()).substr(0, prefix.size()), prefix) << e.what();
        EXPECT_FALSE(reason.empty()) << e.what();
        EXPECT_EQ(calls_, 0) << "the call went out to an untrusted server";
    }
}

INSTANTIATE_TEST_SUITE_P(Transport, TlsTrustTest, testing::ValuesIn(kTrusted),
                         [](const testing::TestParamInfo<Trusted>& row) {
                             return std::string(row.param.name);
                         });

TEST_F(TransportTest, TlsPortGivesAPlainClientNothingAndRefusesBadFiles) {
    const Pki pki(dir_.Path());
    rpc::Server server(dispatcher_);
    try {
        server.ListenTls("127.0.0.1", 0, pki.server.CertificateFile(), pki.other.KeyFile());
        FAIL();
    } catch (const rpc::TransportError& e) {
        EXPECT_NE(std::string(e.what()).find(pki.other.KeyFile()), std::string::npos) << e.what();
    }
    server.ListenTls("127.0.0.1", 0, pki.server.CertificateFile(), pki.server.KeyFile());
    server.Start();

    asio::io_context io;
    asio::ip::tcp::socket plain(io);
    plain.connect({asio::ip::make_address("127.0.0.1"), server.Port()});
    asio::write(
        plain, asio::buffer(std::string(R"({"jsonrpc":"2.0","id":1,"method":"S.m.Who","params":[]})"
                                        "\n")));
    std::array<char, 256> received{};
    std::error_code ec;
    const std::size_t n = plain.read_some(asio::buffer(received), ec);
    EXPECT_EQ(n, 0u) << std::string(received.data(), n);
    EXPECT_EQ(ec, asio::error::eof);
    EXPECT_EQ(calls_, 0);
}

}  // namespace
