// scripts/sign on a copy of the built Windows launcher, with a throw-away code
// signing certificate made by openssl, checked by osslsigncode verify trusting only
// the throw-away CA.
#include "support/file_bytes.h"
#include "support/process.h"
#include "support/test_folder.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

namespace launcher::testing {
namespace {

namespace fs = std::filesystem;

const fs::path kSignScript = fs::path(LAUNCHER_SOURCE_DIR) / "scripts" / "sign";
constexpr const char* kPassword = "right horse battery";

class Signing : public ::testing::Test {
  protected:
    static void SetUpTestSuite() {
        folder_ = std::make_unique<TestFolder>();
        fs::path keys = folder_->path() / "keys";
        fs::create_directories(keys);
        auto at = [&](const char* name) {
            return (keys / name).string();
        };
        folder_->write("keys/signer.cnf", "basicConstraints=CA:FALSE\n"
                                          "keyUsage=critical,digitalSignature\n"
                                          "extendedKeyUsage=codeSigning\n");
        folder_->write("keys/password", std::string(kPassword) + "\n");
        folder_->write("keys/wrong-password", "wrong horse battery\n");
        const std::vector<std::vector<std::string>> steps = {
            // The CA, and another that never signed anything.
            {"openssl", "req", "-x509", "-newkey", "rsa:2048", "-nodes", "-keyout", at("ca.key"),
             "-out", at("ca.pem"), "-days", "2", "-subj", "/CN=Throw-away test CA", "-addext",
             "basicConstraints=critical,CA:TRUE", "-addext", "keyUsage=critical,keyCertSign"},
            {"openssl", "req", "-x509", "-newkey", "rsa:2048", "-nodes", "-keyout",
             at("other-ca.key"), "-out", at("other-ca.pem"), "-days", "2", "-subj",
             "/CN=Unrelated test CA", "-addext", "basicConstraints=critical,CA:TRUE", "-addext",
             "keyUsage=critical,keyCertSign"},
            // The code signing certificate the CA issues.
            {"openssl", "req", "-newkey", "rsa:2048", "-nodes", "-keyout", at("signer.key"), "-out",
             at("signer.csr"), "-subj", "/CN=Throw-away code signer"},
            {"openssl", "x509", "-req", "-in", at("signer.csr"), "-CA", at("ca.pem"), "-CAkey",
             at("ca.key"), "-CAcreateserial", "-out", at("signer.pem"), "-days", "2", "-extfile",
             at("signer.cnf")},
            {"openssl", "pkcs12", "-export", "-inkey", at("signer.key"), "-in", at("signer.pem"),
             "-out", at("signer.p12"), "-passout", std::string("pass:") + kPassword},
        };
        for (const std::vector<std::string>& step : steps) {
            ProcessResult result = runProcess(step);
            if (result.exitCode != 0) {
                failure_ = commandLine(step) + " failed:\n" + result.output;
                return;
            }
        }
    }
    static void TearDownTestSuite() { folder_.reset(); }

    void SetUp() override {
        ASSERT_EQ(failure_, "");
        fs::path built = fs::path(LAUNCHER_WINDOWS_BUILD_DIR) / "launcher.exe";
        if (!fs::exists(built)) {
            if (std::getenv("LAUNCHER_REQUIRE_WINDOWS") != nullptr) {
                FAIL() << "no " << built;
            }
            GTEST_SKIP() << "no Windows build at " << LAUNCHER_WINDOWS_BUILD_DIR;
        }
        unsigned_ = readFile(built);
        work_ = std::make_unique<TestFolder>();
        input_ = work_->write("launcher.exe", unsigned_);
        output_ = work_->path() / "signed" / "myapp.exe";
        fs::create_directories(output_.parent_path());
    }

    static std::string key(const char* name) { return (folder_->path() / "keys" / name).string(); }

    // Runs the script on the input and output; "@KEYS@" in an option stands for the
    // folder of the throw-away keys, which exists only once the suite has started.
    ProcessResult sign(std::vector<std::string> options) const {
        const std::string placeholder = "@KEYS@";
        for (std::string& option : options) {
            if (option.starts_with(placeholder)) {
                option.replace(0, placeholder.size(), (folder_->path() / "keys").string());
            }
        }
        options.insert(options.begin(), kSignScript.string());
        options.push_back(input_.string());
        options.push_back(output_.string());
        return runProcess(options);
    }

    static ProcessResult verify(const fs::path& signedFile, const char* caFile = "ca.pem") {
        return runProcess(
            {"osslsigncode", "verify", "-CAfile", key(caFile), "-in", signedFile.string()});
    }

    // What the output folder holds besides the signed file: nothing, or what a
    // failed run left behind.
    std::vector<std::string> leftovers() const {
        std::vector<std::string> names;
        for (const fs::directory_entry& entry : fs::directory_iterator(output_.parent_path())) {
            if (entry.path() != output_) {
                names.push_back(entry.path().filename().string());
            }
        }
        return names;
    }

    static std::unique_ptr<TestFolder> folder_;
    static std::string failure_;
    std::string unsigned_;
    std::unique_ptr<TestFolder> work_;
    fs::path input_, output_;
};

std::unique_ptr<TestFolder> Signing::folder_;
std::string Signing::failure_;

// A way of giving the script the signer's credentials.
struct Credentials {
    std::string name;
    std::vector<std::string> options;
};

void PrintTo(const Credentials& row, std::ostream* out) {
    *out << row.name;
}

class SigningWith : public Signing, public ::testing::WithParamInterface<Credentials> {};

TEST_P(SigningWith, WritesACopyThatVerifiesAgainstTheCa) {
    ProcessResult signing = sign(GetParam().options);
    ASSERT_EQ(signing.exitCode, 0) << signing.output;
    ASSERT_TRUE(fs::exists(output_));
    ProcessResult verified = verify(output_);
    EXPECT_EQ(verified.exitCode, 0) << verified.output;
    EXPECT_NE(verified.output.find("Signature verification: ok"), std::string::npos)
        << verified.output;
    EXPECT_TRUE(readFile(input_) == unsigned_) << "the input changed";
    EXPECT_EQ(leftovers(), std::vector<std::string>{});
}

INSTANTIATE_TEST_SUITE_P(
    Forms, SigningWith,
    ::testing::Values(Credentials{"Pkcs12AndPassword",
                                  {"--pkcs12", "@KEYS@/signer.p12", "--password", kPassword}},
                      Credentials{
                          "Pkcs12AndPasswordFile",
                          {"--pkcs12", "@KEYS@/signer.p12", "--password-file", "@KEYS@/password"}},
                      Credentials{"CertificateAndKey",
                                  {"--cert", "@KEYS@/signer.pem", "--key", "@KEYS@/signer.key",
                                   "--description", "Acme Viewer"}}),
    [](const auto& row) { return row.param.name; });

TEST_F(Signing, VerificationFailsWhenAByteChangesAfterSigning) {
    ProcessResult signing =
        sign({"--pkcs12", key("signer.p12"), "--password-file", key("password")});
    ASSERT_EQ(signing.exitCode, 0) << signing.output;
    ASSERT_EQ(verify(output_).exitCode, 0);
    std::string bytes = readFile(output_);
    // Inside the image's sections, far from the signature appended at the end.
    bytes[unsigned_.size() / 2] = static_cast<char>(bytes[unsigned_.size() / 2] ^ 0x01);
    fs::path tampered = work_->write("tampered.exe", bytes);
    ProcessResult verified = verify(tampered);
    EXPECT_NE(verified.exitCode, 0) << verified.output;
    EXPECT_EQ(verified.output.find("Signature verification: ok"), std::string::npos)
        << verified.output;
}

TEST_F(Signing, VerificationFailsTrustingAnotherCa) {
    ProcessResult signing =
        sign({"--pkcs12", key("signer.p12"), "--password-file", key("password")});
    ASSERT_EQ(signing.exitCode, 0) << signing.output;
    ProcessResult verified = verify(output_, "other-ca.pem");
    EXPECT_NE(verified.exitCode, 0) << verified.output;
}

// Packing comes first, signing last: a packed launcher signs and verifies, and a
// signed one is refused by the packer (stamping would break its signature).
TEST_F(Signing, APackedLauncherSignsAndASignedOneIsNotPacked) {
    auto pack = [this](const fs::path& launcher, const std::string& out) {
        return runProcess({LAUNCHER_PACK_TOOL, "--launcher", launcher.string(), "--name", "MyApp",
                           "--out", (work_->path() / out).string(), "--icon", LAUNCHER_SAMPLE_ICON,
                           "--version", "2.1", "--jar", LAUNCHER_SAMPLE_JAR, "--main",
                           "com.example.hello.HelloApp"});
    };
    ProcessResult packed = pack(input_, "packed");
    ASSERT_EQ(packed.exitCode, 0) << packed.output;
    fs::copy_file(work_->path() / "packed" / "MyApp.exe", input_,
                  fs::copy_options::overwrite_existing);
    ProcessResult signedRun =
        sign({"--pkcs12", "@KEYS@/signer.p12", "--password-file", "@KEYS@/password"});
    ASSERT_EQ(signedRun.exitCode, 0) << signedRun.output;
    ProcessResult verified = verify(output_);
    EXPECT_EQ(verified.exitCode, 0) << verified.output;
    ProcessResult refused = pack(output_, "again");
    EXPECT_EQ(refused.exitCode, 2) << refused.output;
    EXPECT_NE(refused.output.find("Authenticode signature"), std::string::npos) << refused.output;
    EXPECT_FALSE(fs::exists(work_->path() / "again"));
}

TEST_F(Signing, VerificationFailsOnTheUnsignedLauncher) {
    ProcessResult verified = verify(input_);
    EXPECT_NE(verified.exitCode, 0) << verified.output;
}

TEST_F(Signing, SigningInPlaceReplacesTheInputWithTheSignedFile) {
    ProcessResult signing = runProcess({kSignScript.string(), "--pkcs12", key("signer.p12"),
                                        "--password", kPassword, input_.string(), input_.string()});
    ASSERT_EQ(signing.exitCode, 0) << signing.output;
    EXPECT_EQ(verify(input_).exitCode, 0);
    EXPECT_GT(fs::file_size(input_), unsigned_.size());
}

TEST_F(Signing, AnExistingOutputIsReplacedOnlyWithForce) {
    std::ofstream(output_, std::ios::binary) << "an earlier build";
    ProcessResult refused = sign({"--pkcs12", key("signer.p12"), "--password", kPassword});
    EXPECT_NE(refused.exitCode, 0);
    EXPECT_NE(refused.output.find("exists; give --force to replace it"), std::string::npos)
        << refused.output;
    EXPECT_EQ(readFile(output_), "an earlier build");

    ProcessResult forced =
        sign({"--force", "--pkcs12", key("signer.p12"), "--password", kPassword});
    ASSERT_EQ(forced.exitCode, 0) << forced.output;
    EXPECT_EQ(verify(output_).exitCode, 0);
}

TEST_F(Signing, AFolderAsOutputIsRefusedEvenWithForce) {
    fs::create_directories(output_);
    ProcessResult refused =
        sign({"--force", "--pkcs12", key("signer.p12"), "--password", kPassword});
    EXPECT_NE(refused.exitCode, 0);
    EXPECT_NE(refused.output.find("is a folder"), std::string::npos) << refused.output;
    EXPECT_TRUE(fs::is_empty(output_));
}

// A signing that cannot succeed, and what the script says about it.
struct FailedSigning {
    std::string name;
    std::vector<std::string> options;
    std::string message;
    bool textInput = false; // sign a text file instead of the launcher
};

void PrintTo(const FailedSigning& row, std::ostream* out) {
    *out << row.name;
}

class FailedSigningRun : public Signing, public ::testing::WithParamInterface<FailedSigning> {};

TEST_P(FailedSigningRun, LeavesTheInputAndWritesNothing) {
    if (GetParam().textInput) {
        unsigned_ = "not an executable\n";
        input_ = work_->write("launcher.exe", unsigned_);
    }
    ProcessResult signing = sign(GetParam().options);
    EXPECT_NE(signing.exitCode, 0) << signing.output;
    EXPECT_NE(signing.output.find(GetParam().message), std::string::npos) << signing.output;
    EXPECT_FALSE(fs::exists(output_));
    EXPECT_EQ(leftovers(), std::vector<std::string>{});
    EXPECT_TRUE(readFile(input_) == unsigned_) << "the input changed";
}

INSTANTIATE_TEST_SUITE_P(
    Rows, FailedSigningRun,
    ::testing::Values(FailedSigning{"WrongPassword",
                                    {"--pkcs12", "@KEYS@/signer.p12", "--password", "wrong horse"},
                                    "osslsigncode could not sign"},
                      FailedSigning{"WrongPasswordFile",
                                    {"--pkcs12", "@KEYS@/signer.p12", "--password-file",
                                     "@KEYS@/wrong-password"},
                                    "osslsigncode could not sign"},
                      FailedSigning{"MissingKey",
                                    {"--cert", "@KEYS@/signer.pem", "--key", "@KEYS@/absent.key"},
                                    "no key file"},
                      // Nothing listens on the discard port of this machine, so the test stays
                      // offline and the time-stamp request fails at once.
                      FailedSigning{"TimestampServerUnreachable",
                                    {"--pkcs12", "@KEYS@/signer.p12", "--password", kPassword,
                                     "--timestamp", "http://127.0.0.1:9/"},
                                    "osslsigncode could not sign"},
                      FailedSigning{"NoCredentials", {}, "give --pkcs12, or --cert and --key"},
                      FailedSigning{"NotAnExecutable",
                                    {"--pkcs12", "@KEYS@/signer.p12", "--password", kPassword},
                                    "osslsigncode could not sign",
                                    true}),
    [](const auto& row) { return row.param.name; });

} // namespace
} // namespace launcher::testing
