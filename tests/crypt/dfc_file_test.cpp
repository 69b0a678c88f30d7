// The encrypted-file transforms on the real file system, with faults injected
// where the system will not fail on demand.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cmath>
#include <cstring>
#include <functional>

#include "core/byte_order.h"
#include "crypt/dfc_file.h"
#include "platform/fault_env.h"
#include "tests/crypt/crypt_test_util.h"

namespace nv {
namespace {

using testing::Exists;
using testing::ListNames;
using testing::RandomBytes;
using testing::ReadBytes;
using testing::WriteBytes;

using Failures = std::deque<std::pair<std::string, FILE_OPERATION_ERROR>>;

class DfcFileTest : public ::testing::Test {
 protected:
  DfcFileTest() : env_(Env::Default()) {
    job_.errors = &errors_;
    SetPassword("Fixture#Pw1");
  }

  void SetPassword(const std::string& password) {
    job_.password.fill(0);
    std::memcpy(job_.password.data(), password.data(), password.size());
    job_.passwordLength = static_cast<uint32_t>(password.size());
  }
  std::string Path(const std::string& name) const { return dir_.path() + "/" + name; }
  Failures TakeFailures() {
    Failures failures = errors_.value;
    errors_.value.clear();
    return failures;
  }
  void ResetOutcome() {
    job_.doneSources.clear();
    job_.doneOutputs.clear();
  }
  // Encrypts name and returns the bytes of name + ".dfc" ("" when missing).
  std::string Encrypt(const std::string& name) {
    EncryptFile(&env_, Path(name), job_);
    return ReadBytes(Path(name + ".dfc"));
  }

  testing::TempDir dir_;
  FaultEnv env_;
  CryptoJob job_;
  ErrorQueue errors_;
};

TEST_F(DfcFileTest, RoundTripsFilesOfEverySizeInChunksOf64KiB) {
  struct Case {
    size_t size;
    std::vector<uint32_t> chunkPlainSizes;
  };
  const Case cases[] = {{0, {}}, {1, {1}}, {65536, {65536}}, {65537, {65536, 1}}, {200000, {65536, 65536, 65536, 3392}}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.size);
    std::string plain = RandomBytes(c.size, static_cast<uint32_t>(c.size));
    WriteBytes(Path("f.bin"), plain);
    std::string dfc = Encrypt("f.bin");
    ASSERT_TRUE(TakeFailures().empty());
    EXPECT_EQ(ReadBytes(Path("f.bin")), plain) << "the source is left alone";

    std::vector<uint32_t> plainSizes;
    size_t at = kDfcHeaderSize;
    while (at + kDfcChunkHeaderSize <= dfc.size()) {
      auto* chunk = reinterpret_cast<const uint8_t*>(dfc.data() + at);
      ASSERT_EQ(GetU32(chunk), DFC_MAGIC);
      plainSizes.push_back(GetU32(chunk + 4));
      at += kDfcChunkHeaderSize + GetU32(chunk + 8);
    }
    EXPECT_EQ(at, dfc.size());
    EXPECT_EQ(plainSizes, c.chunkPlainSizes);
    EXPECT_EQ(job_.doneSources, std::vector<std::string>{Path("f.bin")});
    EXPECT_EQ(job_.doneOutputs, std::vector<std::string>{Path("f.bin.dfc")});

    std::filesystem::remove(Path("f.bin"));
    ResetOutcome();
    DecryptFile(&env_, Path("f.bin.dfc"), job_);
    ASSERT_TRUE(TakeFailures().empty());
    EXPECT_EQ(ReadBytes(Path("f.bin")), plain);
    EXPECT_EQ(job_.doneSources, std::vector<std::string>{Path("f.bin.dfc")});
    EXPECT_EQ(job_.doneOutputs, std::vector<std::string>{Path("f.bin")});
    EXPECT_EQ(ListNames(dir_.path()), "f.bin f.bin.dfc") << "no temporary file is left";
    std::filesystem::remove(Path("f.bin"));
    std::filesystem::remove(Path("f.bin.dfc"));
    ResetOutcome();
  }
}

// vector.dfc was written by make_fixtures.py with openssl and Python's zlib.
TEST_F(DfcFileTest, MatchesTheIndependentlyBuiltVector) {
  std::string plain = ReadBytes(testing::FixturePath("plain.txt"));
  std::string vector = ReadBytes(testing::FixturePath("vector.dfc"));
  ASSERT_EQ(plain.size(), 66536u);

  WriteBytes(Path("v.txt.dfc"), vector);
  DecryptFile(&env_, Path("v.txt.dfc"), job_);
  EXPECT_TRUE(TakeFailures().empty());
  EXPECT_EQ(ReadBytes(Path("v.txt")), plain);

  // Written by the program, the same file differs only in the time field.
  WriteBytes(Path("w.txt"), plain);
  std::string ours = Encrypt("w.txt");
  ASSERT_EQ(ours.size(), vector.size());
  EXPECT_EQ(ours.substr(0, 16), vector.substr(0, 16));
  EXPECT_EQ(ours.substr(24), vector.substr(24));
  double when = GetF64(reinterpret_cast<const uint8_t*>(ours.data() + 16));
  EXPECT_GT(when, 45000.0);  // a local time after 2023, as an OLE date
  EXPECT_NEAR(when * 86400.0, std::round(when * 86400.0), 1e-3) << "whole seconds";
}

TEST_F(DfcFileTest, SixteenBytePasswordIsCheckedOverAllItsBytes) {
  SetPassword("0123456789abcdef");
  WriteBytes(Path("a"), "sixteen");
  Encrypt("a");
  std::filesystem::remove(Path("a"));
  SetPassword("0123456789abcdeX");
  DecryptFile(&env_, Path("a.dfc"), job_);
  EXPECT_EQ(TakeFailures(), (Failures{{Path("a.dfc"), FOE_BAD_PASSWORD}}));
  SetPassword("0123456789abcde");
  DecryptFile(&env_, Path("a.dfc"), job_);
  EXPECT_EQ(TakeFailures(), (Failures{{Path("a.dfc"), FOE_BAD_PASSWORD}}));
  EXPECT_FALSE(Exists(Path("a")));
  SetPassword("0123456789abcdef");
  DecryptFile(&env_, Path("a.dfc"), job_);
  EXPECT_TRUE(TakeFailures().empty());
  EXPECT_EQ(ReadBytes(Path("a")), "sixteen");
}

TEST_F(DfcFileTest, EncryptSkipsEncryptedFilesAndTakesOtherDfcNamesAsPlain) {
  WriteBytes(Path("a"), "data");
  std::string dfc = Encrypt("a");
  std::filesystem::remove(Path("a"));
  ResetOutcome();
  EncryptFile(&env_, Path("a.dfc"), job_);
  EXPECT_TRUE(TakeFailures().empty());
  EXPECT_FALSE(Exists(Path("a.dfc.dfc")));
  EXPECT_TRUE(job_.doneSources.empty());

  WriteBytes(Path("fake.dfc"), "not encrypted");
  EncryptFile(&env_, Path("fake.dfc"), job_);
  EXPECT_TRUE(TakeFailures().empty());
  EXPECT_TRUE(Exists(Path("fake.dfc.dfc")));
}

TEST_F(DfcFileTest, DecryptRefusesDamagedFilesWithTheirErrorKindAndLeavesNoOutput) {
  WriteBytes(Path("src"), RandomBytes(70000));
  std::string good = Encrypt("src");
  ASSERT_GT(good.size(), kDfcHeaderSize + 2 * kDfcChunkHeaderSize);
  auto with = [&](size_t offset, uint32_t value) {
    std::string bytes = good;
    PutU32(reinterpret_cast<uint8_t*>(bytes.data() + offset), value);
    return bytes;
  };
  const size_t chunk2 = kDfcHeaderSize + kDfcChunkHeaderSize +
                        GetU32(reinterpret_cast<const uint8_t*>(good.data() + kDfcHeaderSize + 8));
  std::string flipped = good;
  flipped[kDfcHeaderSize + kDfcChunkHeaderSize + 5] ^= 0x40;
  struct Case {
    const char* what;
    std::string bytes;
    FILE_OPERATION_ERROR kind;
  };
  const Case cases[] = {
      {"magic only", good.substr(0, 4), FOE_BAD_FORMAT},
      {"short header", good.substr(0, 79), FOE_BAD_FORMAT},
      {"version 2", with(4, 2), FOE_BAD_FORMAT},
      {"stored password length 17", with(40, 17), FOE_BAD_PASSWORD},
      {"truncated in the last chunk", good.substr(0, good.size() - 1), FOE_BAD_FORMAT},
      {"truncated chunk header", good.substr(0, chunk2 + 5), FOE_BAD_FORMAT},
      {"bad chunk magic", with(chunk2, 0x12345678), FOE_BAD_FORMAT},
      {"stored size above 78655", with(chunk2 + 8, 78656), FOE_BAD_FORMAT},
      {"stored size 4 GiB", with(chunk2 + 8, 0xFFFFFFFF), FOE_BAD_FORMAT},
      {"plain size above 65536", with(chunk2 + 4, 65537), FOE_BAD_FORMAT},
      {"plain size not the data's", with(kDfcHeaderSize + 4, 65535), FOE_BAD_FORMAT},
      {"damaged data", flipped, FOE_BAD_FORMAT},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    WriteBytes(Path("x.dfc"), c.bytes);
    DecryptFile(&env_, Path("x.dfc"), job_);
    EXPECT_EQ(TakeFailures(), (Failures{{Path("x.dfc"), c.kind}}));
    EXPECT_EQ(ListNames(dir_.path()), "src src.dfc x.dfc");
    EXPECT_EQ(ReadBytes(Path("x.dfc")), c.bytes);
  }
  EXPECT_TRUE(job_.doneOutputs.size() == 1) << "only the encryption succeeded";
}

TEST_F(DfcFileTest, DecryptSortsOutFilesByNameAndMagic) {
  WriteBytes(Path("plain.dfc"), "no magic here");
  WriteBytes(Path("upper.DFC"), std::string("\x5F\x49\x59\xD6", 4) + std::string(100, '\0'));
  DecryptFile(&env_, Path("plain.dfc"), job_);
  DecryptFile(&env_, Path("upper.DFC"), job_);
  DecryptFile(&env_, Path("missing.dfc"), job_);
  EXPECT_EQ(TakeFailures(), (Failures{{Path("plain.dfc"), FOE_BAD_FORMAT}, {Path("missing.dfc"), FOE_NOT_FOUND}}));
  EXPECT_EQ(ListNames(dir_.path()), "plain.dfc upper.DFC");
}

TEST_F(DfcFileTest, NeverReplacesAFileThatHasTheOutputName) {
  WriteBytes(Path("a"), "plain");
  WriteBytes(Path("a.dfc"), "someone else's file");
  EncryptFile(&env_, Path("a"), job_);
  EXPECT_EQ(TakeFailures(), (Failures{{Path("a"), FOE_CREATE_FAILED}}));
  EXPECT_EQ(ReadBytes(Path("a.dfc")), "someone else's file");

  WriteBytes(Path("b"), "secret");
  Encrypt("b");
  WriteBytes(Path("b"), "newer plain file");
  DecryptFile(&env_, Path("b.dfc"), job_);
  EXPECT_EQ(TakeFailures(), (Failures{{Path("b.dfc"), FOE_CREATE_FAILED}}));
  EXPECT_EQ(ReadBytes(Path("b")), "newer plain file");

  SetPassword("wrong-password");
  DecryptFile(&env_, Path("b.dfc"), job_);
  EXPECT_EQ(TakeFailures(), (Failures{{Path("b.dfc"), FOE_BAD_PASSWORD}}));
  EXPECT_EQ(ListNames(dir_.path()), "a a.dfc b b.dfc");
}

TEST_F(DfcFileTest, FileSystemFailuresGiveTheirKindAndLeaveNothingBehind) {
  const std::string plain = RandomBytes(150000);
  struct Case {
    const char* what;
    std::function<void(FaultEnv&)> fault;
    FILE_OPERATION_ERROR encryptKind;
  };
  const Case cases[] = {
      {"source cannot be opened", [](FaultEnv& e) { e.FailOpen("/src", FsError::kBusy); }, FOE_READ_FAILED},
      {"source read fails", [](FaultEnv& e) { e.FailReadsAfter("/src", 70000); }, FOE_READ_FAILED},
      {"output cannot be created", [](FaultEnv& e) { e.FailOpen("~norvane", FsError::kAccessDenied); },
       FOE_CREATE_FAILED},
      {"disk full in the header", [](FaultEnv& e) { e.FailWritesAfter("~norvane", 40); }, FOE_WRITE_FAILED},
      {"disk full in a chunk", [](FaultEnv& e) { e.FailWritesAfter("~norvane", 100000); }, FOE_WRITE_FAILED},
      {"flush fails", [](FaultEnv& e) { e.FailSync("~norvane"); }, FOE_WRITE_FAILED},
      {"move to the output name fails", [](FaultEnv& e) { e.FailRename("~norvane"); }, FOE_CREATE_FAILED},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    WriteBytes(Path("src"), plain);
    c.fault(env_);
    EncryptFile(&env_, Path("src"), job_);
    env_.Reset();
    EXPECT_EQ(TakeFailures(), (Failures{{Path("src"), c.encryptKind}}));
    EXPECT_EQ(ListNames(dir_.path()), "src");
    EXPECT_EQ(ReadBytes(Path("src")), plain);
    EXPECT_TRUE(job_.doneSources.empty());
  }

  // The same faults while decrypting.
  Encrypt("src");
  std::filesystem::rename(Path("src.dfc"), Path("enc.dfc"));
  std::filesystem::remove(Path("src"));
  const std::string dfc = ReadBytes(Path("enc.dfc"));
  ResetOutcome();
  const Case decryptCases[] = {
      {"source read fails", [](FaultEnv& e) { e.FailReadsAfter("/enc.dfc", 1000); }, FOE_READ_FAILED},
      {"disk full", [](FaultEnv& e) { e.FailWritesAfter("~norvane", 70000); }, FOE_WRITE_FAILED},
      {"move fails", [](FaultEnv& e) { e.FailRename("~norvane"); }, FOE_CREATE_FAILED},
  };
  for (const Case& c : decryptCases) {
    SCOPED_TRACE(c.what);
    c.fault(env_);
    DecryptFile(&env_, Path("enc.dfc"), job_);
    env_.Reset();
    EXPECT_EQ(TakeFailures(), (Failures{{Path("enc.dfc"), c.encryptKind}}));
    EXPECT_EQ(ListNames(dir_.path()), "enc.dfc");
    EXPECT_EQ(ReadBytes(Path("enc.dfc")), dfc);
  }
}

TEST_F(DfcFileTest, OutputTakesTheReadOnlyAttributeAndOwnerOnlyPermissions) {
  WriteBytes(Path("ro"), "read only");
  std::filesystem::permissions(Path("ro"), std::filesystem::perms::owner_read);
  Encrypt("ro");
  EXPECT_TRUE(TakeFailures().empty());
  struct stat st {};
  ASSERT_EQ(0, ::stat(Path("ro.dfc").c_str(), &st));
  EXPECT_EQ(st.st_mode & 0777, 0400u);

  WriteBytes(Path("rw"), "writable");
  Encrypt("rw");
  ASSERT_EQ(0, ::stat(Path("rw.dfc").c_str(), &st));
  EXPECT_EQ(st.st_mode & 0777, 0600u);
}

TEST_F(DfcFileTest, ProgressCountsPlainBytesWhenEncryptingAndStoredBytesWhenDecrypting) {
  WriteBytes(Path("empty"), "");
  WriteBytes(Path("big"), RandomBytes(100000));
  job_.totalBytes = 100000;
  job_.doneBytes = 0;
  Encrypt("empty");
  EXPECT_EQ(job_.doneBytes, 0u);
  EXPECT_EQ(job_.filePercent, 100.0);
  Encrypt("big");
  EXPECT_EQ(job_.doneBytes, 100000u);
  EXPECT_DOUBLE_EQ(job_.totalPercent, 100.0);
  EXPECT_EQ(GetCurrentFile(job_), Path("big"));

  std::filesystem::remove(Path("big"));
  uint64_t dfcSize = std::filesystem::file_size(Path("big.dfc"));
  job_.totalBytes = dfcSize;
  job_.doneBytes = 0;
  DecryptFile(&env_, Path("big.dfc"), job_);
  EXPECT_EQ(job_.doneBytes, dfcSize);
  EXPECT_DOUBLE_EQ(job_.totalPercent, 100.0);
}

}  // namespace
}  // namespace nv
