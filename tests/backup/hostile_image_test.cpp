// Damaged and crafted images: every one must end cleanly, report itself and
// write nothing outside the destination.
#include <gtest/gtest.h>

#include <map>

#include "backup/backup_job.h"
#include "backup/image_format.h"
#include "tests/backup/backup_test_util.h"

namespace nv {
namespace {

using test::Failures;
using Tree = std::map<std::string, std::string>;

constexpr const char* kPassword = "hostile1";
constexpr const char* kImage = "/img/x.dfi";

class HostileImageTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(mem.MakeDirs("/img"));
    ASSERT_TRUE(mem.MakeDirs("/work/dest"));
    ASSERT_TRUE(mem.WriteFile("/work/victim.txt", "untouched"));
    ASSERT_TRUE(mem.WriteFile("/victim.txt", "untouched"));
  }

  // Recovers bytes into a fresh /work/dest and returns what was queued.
  Failures Recover(const std::string& bytes) {
    EXPECT_TRUE(mem.WriteFile(kImage, bytes));
    EXPECT_TRUE(test::RunRecovery(job, &mem, kImage, "/work/dest", kPassword, &errors));
    return test::Drain(errors);
  }

  // Everything but the destination's contents and the image.
  Tree Outside() {
    Tree tree = test::Snapshot(mem, "/");
    tree.erase("img/x.dfi");
    for (auto it = tree.begin(); it != tree.end();)
      it = it->first.rfind("work/dest/", 0) == 0 ? tree.erase(it) : std::next(it);
    return tree;
  }

  void ClearDestination() {
    test::RemoveTree(mem, "/work/dest");
    ASSERT_TRUE(mem.MakeDirs("/work/dest"));
  }

  MemEnv mem;
  BackupJob job;
  ErrorQueue errors;
};

TEST_F(HostileImageTest, TruncatedAtEveryOffsetEndsCleanly) {
  const std::string full = test::ImageBuilder(kPassword)
                               .Folder(u"D")
                               .File(u"D\\a", "alpha alpha alpha")
                               .File(u"D\\e", "")
                               .File(u"b", "beta")
                               .bytes();
  const Tree complete{{"D", "<dir>"}, {"D/a", "alpha alpha alpha"}, {"D/e", ""}, {"b", "beta"}};
  for (size_t length = 0; length < full.size(); ++length) {
    SCOPED_TRACE(length);
    ClearDestination();
    Tree outside = Outside();
    Failures failures = Recover(full.substr(0, length));
    ASSERT_LE(failures.size(), 1u);
    if (length < 80) {
      EXPECT_EQ(failures, (Failures{{kImage, FOE_BAD_FORMAT}}));
    }
    for (const auto& failure : failures) EXPECT_EQ(failure.second, FOE_BAD_FORMAT);
    EXPECT_EQ(Outside(), outside);
    // Whatever was restored is what the image holds, files possibly cut short.
    for (const auto& [name, content] : test::Snapshot(mem, "/work/dest")) {
      ASSERT_TRUE(complete.count(name)) << name;
      EXPECT_EQ(complete.at(name).rfind(content, 0), 0u) << name;
    }
  }
  ClearDestination();
  EXPECT_EQ(Recover(full), Failures{});
  EXPECT_EQ(test::Snapshot(mem, "/work/dest"), complete);
}

TEST_F(HostileImageTest, PathsThatLeaveTheDestinationAreRefused) {
  std::u16string noTerminator(260, u'a');
  const std::u16string paths[] = {
      u"..",        u"..\\victim.txt", u"D\\..\\..\\victim.txt", u"\\victim.txt", u"\\\\host\\share\\x",
      u"C:\\x",     u"c:victim.txt",   u"../victim.txt",         u"D/../../victim.txt", u".",
      u"D\\.\\x",   u"D\\\\x",         u"D\\",                   u"bad\xD800",
  };
  for (uint32_t kind : {kEntryFolder, kEntryFile}) {
    for (const std::u16string& path : paths) {
      SCOPED_TRACE(std::string(path.begin(), path.end()) + (kind ? " file" : " folder"));
      ClearDestination();
      Tree outside = Outside();
      test::ImageBuilder image(kPassword);
      image.Folder(u"D").Entry(kind, 0x20, path);
      if (kind == kEntryFile) image.Block("escaped", true);
      image.File(u"after", "not reached");
      EXPECT_EQ(Recover(image.bytes()), (Failures{{kImage, FOE_BAD_FORMAT}}));
      EXPECT_EQ(test::Snapshot(mem, "/work/dest"), (Tree{{"D", "<dir>"}}));
      EXPECT_EQ(Outside(), outside);
    }
  }
  // A path field without a terminator, which the encoder would not write.
  ClearDestination();
  std::string entry = test::ImageBuilder(kPassword).Entry(kEntryFile, 0x20, u"x").bytes().substr(80);
  for (size_t i = 12; i < 532; i += 2) entry[i] = 'a';
  EXPECT_EQ(Recover(test::ImageBuilder(kPassword).Raw(entry).bytes()), (Failures{{kImage, FOE_BAD_FORMAT}}));
  EXPECT_EQ(test::Snapshot(mem, "/work/dest"), Tree{});
}

TEST_F(HostileImageTest, BlockFramingThatCannotBeTrustedStopsTheRecovery) {
  struct Case {
    const char* name;
    std::function<void(test::ImageBuilder&)> block;
    FILE_OPERATION_ERROR expected;
  };
  const Case cases[] = {
      {"stored size over the buffer", [](test::ImageBuilder& b) { b.BlockHeader(10, 78656, 1, DFI_MAGIC); },
       FOE_BAD_FORMAT},
      {"huge stored size", [](test::ImageBuilder& b) { b.BlockHeader(10, 0xFFFFFFFF, 1, DFI_MAGIC); },
       FOE_BAD_FORMAT},
      {"stored size past the end", [](test::ImageBuilder& b) { b.BlockHeader(10, 5000, 1, DFI_MAGIC).Raw("xyz"); },
       FOE_BAD_FORMAT},
      {"wrong block magic", [](test::ImageBuilder& b) { b.BlockHeader(0, 0, 1, 0x12345678); }, FOE_BAD_FORMAT},
      {"short block header", [](test::ImageBuilder& b) { b.Raw("\x5F\xC9\x5B\xD6\x01"); }, FOE_BAD_FORMAT},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ClearDestination();
    test::ImageBuilder image(kPassword);
    image.File(u"first", "ok").Entry(kEntryFile, 0x20, u"broken");
    c.block(image);
    if (std::string(c.name) != "short block header" && std::string(c.name) != "stored size past the end")
      image.File(u"after", "not reached");
    EXPECT_EQ(Recover(image.bytes()), (Failures{{kImage, c.expected}}));
    EXPECT_EQ(test::Snapshot(mem, "/work/dest"), (Tree{{"first", "ok"}, {"broken", ""}}));
  }
}

TEST_F(HostileImageTest, BlocksThatDoNotDecodeEndTheirFileOnly) {
  struct Case {
    const char* name;
    std::function<void(test::ImageBuilder&)> blocks;
    std::string restored;
  };
  const Case cases[] = {
      {"more than 64 KiB in one block",
       [](test::ImageBuilder& b) { b.Block(std::string(65537, 'z'), false).Block("tail", true); }, ""},
      {"empty stored data", [](test::ImageBuilder& b) { b.Block("kept", false).BlockHeader(0, 0, 0, DFI_MAGIC).Block("t", true); },
       "kept"},
      {"an empty block ends the file", [](test::ImageBuilder& b) { b.Block("kept", false).Block("", false); }, "kept"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ClearDestination();
    test::ImageBuilder image(kPassword);
    image.Entry(kEntryFile, 0x20, u"odd");
    c.blocks(image);
    image.File(u"after", "reached");
    Failures failures = Recover(image.bytes());
    if (std::string(c.name) == "an empty block ends the file")
      EXPECT_EQ(failures, Failures{});
    else
      EXPECT_EQ(failures, (Failures{{kImage, FOE_BAD_FORMAT}}));
    EXPECT_EQ(test::Snapshot(mem, "/work/dest"), (Tree{{"odd", c.restored}, {"after", "reached"}}));
  }
}

}  // namespace
}  // namespace nv
