// The committed sample image was made by tests/backup/fixtures/dfi_tool.py
// from the published layout alone (Python's zlib and the openssl command),
// not by this project's code. It must restore, and an image this project
// writes of the same tree must match it record for record.
#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <map>

#include "backup/backup_job.h"
#include "tests/backup/backup_test_util.h"

namespace nv {
namespace {

using Tree = std::map<std::string, std::string>;

constexpr const char* kSamplePassword = "fixture-pw1";

std::string ReadFixture(const std::string& name) {
  std::ifstream in(std::string(NV_BACKUP_FIXTURES) + "/" + name, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

std::string BigContent() {
  std::string big(65537, '\0');
  for (size_t i = 0; i < big.size(); ++i) big[i] = static_cast<char>((i * 7 + 3) % 256);
  return big;
}

const Tree& SampleTree() {
  static const Tree tree{
      {"Docs", "<dir>"},
      {"Docs/a.txt", "hello, image\n"},
      {"Docs/empty.bin", ""},
      {"Docs/sub \xC3\xBC", "<dir>"},
      {"Docs/sub \xC3\xBC/big.bin", BigContent() + " <ro>"},
      {"notes \xE2\x9C\x93.txt", "caf\xC3\xA9 \xE2\x9C\x93\n"},
  };
  return tree;
}

TEST(FixtureImage, IndependentlyWrittenImageRestores) {
  std::string sample = ReadFixture("sample.dfi");
  ASSERT_FALSE(sample.empty());
  MemEnv mem;
  ASSERT_TRUE(mem.MakeDirs("/img"));
  ASSERT_TRUE(mem.MakeDirs("/dest"));
  ASSERT_TRUE(mem.WriteFile("/img/sample.dfi", sample));
  BackupJob job;
  ErrorQueue errors;
  ASSERT_TRUE(test::RunRecovery(job, &mem, "/img/sample.dfi", "/dest", kSamplePassword, &errors));
  EXPECT_EQ(test::Drain(errors), test::Failures{});
  EXPECT_EQ(test::Snapshot(mem, "/dest"), SampleTree());
}

TEST(FixtureImage, ProjectImageOfTheSameTreeMatchesRecordForRecord) {
  MemEnv mem;
  ASSERT_TRUE(mem.MakeDirs("/src/Docs/sub \xC3\xBC"));
  ASSERT_TRUE(mem.MakeDirs("/out"));
  for (const auto& [name, content] : SampleTree()) {
    if (content == "<dir>") continue;
    bool readOnly = content.size() >= 5 && content.compare(content.size() - 5, 5, " <ro>") == 0;
    ASSERT_TRUE(mem.WriteFile("/src/" + name, readOnly ? content.substr(0, content.size() - 5) : content,
                              readOnly ? 0444 : 0644));
  }
  BackupJob job;
  ErrorQueue errors;
  ASSERT_TRUE(test::RunBackup(job, &mem, {"/src/Docs", "/src/notes \xE2\x9C\x93.txt"}, "/out/ours.dfi",
                              kSamplePassword, &errors));
  EXPECT_EQ(test::Drain(errors), test::Failures{});

  std::string theirs = ReadFixture("sample.dfi");
  std::string ours;
  ASSERT_TRUE(mem.ReadFile("/out/ours.dfi", &ours));
  test::ParsedImage a, b;
  ASSERT_TRUE(test::ParseImage(theirs, &a));
  ASSERT_TRUE(test::ParseImage(ours, &b));
  EXPECT_EQ(a.header.substr(0, 16), b.header.substr(0, 16));  // all but the creation time
  EXPECT_EQ(a.header.substr(24), b.header.substr(24));
  ASSERT_EQ(a.entries.size(), b.entries.size());
  for (size_t i = 0; i < a.entries.size(); ++i) {
    const test::ParsedEntry& x = a.entries[i];
    const test::ParsedEntry& y = b.entries[i];
    SCOPED_TRACE(std::string(x.path.begin(), x.path.end()));
    EXPECT_EQ(std::string(ours, y.offset, 532), std::string(theirs, x.offset, 532));
    ASSERT_EQ(x.blocks.size(), y.blocks.size());
    for (size_t k = 0; k < x.blocks.size(); ++k) {
      EXPECT_EQ(x.blocks[k].rawSize, y.blocks[k].rawSize);
      EXPECT_EQ(x.blocks[k].last, y.blocks[k].last);
      EXPECT_EQ(test::BlockPlain(theirs, x.blocks[k], kSamplePassword),
                test::BlockPlain(ours, y.blocks[k], kSamplePassword));
    }
  }
}

}  // namespace
}  // namespace nv
