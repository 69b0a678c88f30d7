// The behaviour every Env must show, checked against the real file system
// (inside a fresh temporary folder) and against the in-memory fake, so the
// fake cannot drift from what the engine meets in real use.
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <functional>
#include <memory>
#include <ostream>
#include <string>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

#include "platform/env.h"
#include "platform/mem_env.h"
#include "tests/platform/temp_dir.h"

namespace nv {
namespace {

// One Env under test with an empty folder to work in.
class Harness {
 public:
  virtual ~Harness() = default;
  virtual Env* env() = 0;
  virtual const std::string& root() const = 0;
  virtual bool MakeSymlink(const std::string& path, const std::string& target) = 0;
  // An entry that is neither file, folder nor link (a FIFO on the real system).
  virtual bool MakeSpecial(const std::string& path) = 0;
  // False where permission bits do not stop anyone (the real system run as root).
  virtual bool EnforcesPermissions() const = 0;
};

class PosixHarness : public Harness {
 public:
  Env* env() override { return Env::Default(); }
  const std::string& root() const override { return dir_.path(); }
  bool MakeSymlink(const std::string& path, const std::string& target) override {
    return ::symlink(target.c_str(), path.c_str()) == 0;
  }
  bool MakeSpecial(const std::string& path) override { return ::mkfifo(path.c_str(), 0644) == 0; }
  bool EnforcesPermissions() const override { return ::geteuid() != 0; }

 private:
  testing::TempDir dir_;
};

class MemHarness : public Harness {
 public:
  MemHarness() { env_.MakeDirs(root_); }
  Env* env() override { return &env_; }
  const std::string& root() const override { return root_; }
  bool MakeSymlink(const std::string& path, const std::string& target) override {
    return env_.MakeSymlink(path, target);
  }
  bool MakeSpecial(const std::string& path) override { return env_.MakeSpecial(path); }
  bool EnforcesPermissions() const override { return true; }

 private:
  MemEnv env_;
  std::string root_ = "/tmp/work";
};

struct EnvKind {
  const char* name;
  std::function<std::unique_ptr<Harness>()> make;
};

void PrintTo(const EnvKind& kind, std::ostream* os) { *os << kind.name; }

OpenOptions Options(Access access, Disposition disposition, Share share = Share::kShareAll) {
  OpenOptions options;
  options.access = access;
  options.disposition = disposition;
  options.share = share;
  return options;
}

class EnvContractTest : public ::testing::TestWithParam<EnvKind> {
 protected:
  void SetUp() override {
    harness_ = GetParam().make();
    ASSERT_FALSE(harness_->root().empty());
    env_ = harness_->env();
  }

  std::string P(const std::string& relative) const { return harness_->root() + "/" + relative; }

  void Put(const std::string& relative, const std::string& text) {
    FsError error = FsError::kIo;
    auto file = env_->Open(P(relative), Options(Access::kWrite, Disposition::kCreateAlways), &error);
    ASSERT_TRUE(file) << relative << ": " << FsErrorText(error);
    size_t written = 0;
    ASSERT_TRUE(file->Write(text.data(), text.size(), &written));
    ASSERT_TRUE(file->Close());
  }

  // The whole contents, or "<none>" when the file cannot be opened.
  std::string Get(const std::string& relative) {
    auto file = env_->Open(P(relative), Options(Access::kRead, Disposition::kOpenExisting), nullptr);
    if (!file) return "<none>";
    return ReadRest(*file);
  }

  static std::string ReadRest(File& file) {
    std::string text;
    char buffer[64];
    size_t got = 0;
    while (file.Read(buffer, sizeof buffer, &got) && got > 0) text.append(buffer, got);
    return text;
  }

  std::vector<std::string> Names(const std::string& folder) {
    std::vector<DirEntry> entries;
    EXPECT_TRUE(env_->ListDir(folder, &entries));
    std::vector<std::string> names;
    for (const DirEntry& entry : entries) names.push_back(entry.name);
    std::sort(names.begin(), names.end());
    return names;
  }

  bool Exists(const std::string& relative) {
    EntryInfo info;
    return env_->Stat(P(relative), &info);
  }

  std::unique_ptr<Harness> harness_;
  Env* env_ = nullptr;
};

TEST_P(EnvContractTest, DispositionsCreateTruncateOrRefuse) {
  struct Case {
    Disposition disposition;
    bool exists;
    FsError error;
    const char* contentsAfter;
  };
  const Case cases[] = {
      {Disposition::kOpenExisting, false, FsError::kNotFound, "<none>"},
      {Disposition::kOpenExisting, true, FsError::kOk, "old"},
      {Disposition::kCreateNew, false, FsError::kOk, ""},
      {Disposition::kCreateNew, true, FsError::kExists, "old"},
      {Disposition::kCreateAlways, false, FsError::kOk, ""},
      {Disposition::kCreateAlways, true, FsError::kOk, ""},
      {Disposition::kOpenAlways, false, FsError::kOk, ""},
      {Disposition::kOpenAlways, true, FsError::kOk, "old"},
  };
  int index = 0;
  for (const Case& c : cases) {
    SCOPED_TRACE(index);
    std::string name = "f" + std::to_string(index++);
    if (c.exists) Put(name, "old");
    FsError error = FsError::kIo;
    auto file = env_->Open(P(name), Options(Access::kReadWrite, c.disposition), &error);
    EXPECT_EQ(file != nullptr, c.error == FsError::kOk);
    EXPECT_EQ(error, c.error);
    file.reset();
    EXPECT_EQ(Get(name), c.contentsAfter);
  }
}

TEST_P(EnvContractTest, OpenNeedsAnExistingParentFolder) {
  FsError error = FsError::kOk;
  EXPECT_FALSE(env_->Open(P("missing/f"), Options(Access::kWrite, Disposition::kCreateAlways), &error));
  EXPECT_EQ(error, FsError::kNotFound);
  Put("file", "x");
  EXPECT_FALSE(env_->Open(P("file/f"), Options(Access::kWrite, Disposition::kCreateAlways), &error));
  EXPECT_EQ(error, FsError::kNotDirectory);
}

TEST_P(EnvContractTest, ReadWriteSeekAndSize) {
  auto file = env_->Open(P("f"), Options(Access::kReadWrite, Disposition::kCreateNew), nullptr);
  ASSERT_TRUE(file);
  size_t done = 0;
  ASSERT_TRUE(file->Write("hello world", 11, &done));
  EXPECT_EQ(done, 11u);
  uint64_t size = 0;
  ASSERT_TRUE(file->Size(&size));
  EXPECT_EQ(size, 11u);

  char buffer[100] = {};
  ASSERT_TRUE(file->Seek(6));
  ASSERT_TRUE(file->Read(buffer, sizeof buffer, &done));
  EXPECT_EQ(std::string(buffer, done), "world");  // a short read at the end
  ASSERT_TRUE(file->Read(buffer, sizeof buffer, &done));
  EXPECT_EQ(done, 0u);

  // Writing past the end fills the gap with zeros.
  ASSERT_TRUE(file->Seek(13));
  ASSERT_TRUE(file->Write("!", 1, &done));
  ASSERT_TRUE(file->Size(&size));
  EXPECT_EQ(size, 14u);
  EXPECT_TRUE(file->Sync());
  EXPECT_TRUE(file->Close());
  EXPECT_TRUE(file->Close());
  EXPECT_FALSE(file->Read(buffer, 1, &done));
  EXPECT_EQ(Get("f"), std::string("hello world\0\0!", 14));
}

TEST_P(EnvContractTest, AccessModeLimitsWhatAFileDoes) {
  Put("f", "data");
  char buffer[4];
  size_t done = 1;
  auto reader = env_->Open(P("f"), Options(Access::kRead, Disposition::kOpenExisting), nullptr);
  ASSERT_TRUE(reader);
  EXPECT_FALSE(reader->Write("x", 1, &done));
  EXPECT_EQ(done, 0u);
  auto writer = env_->Open(P("f"), Options(Access::kWrite, Disposition::kOpenExisting), nullptr);
  ASSERT_TRUE(writer);
  EXPECT_FALSE(writer->Read(buffer, sizeof buffer, &done));
  EXPECT_EQ(done, 0u);
}

TEST_P(EnvContractTest, SharingModesConflictAsAdvisoryLocks) {
  struct Case {
    Share first, second;
    bool secondOpens;
  };
  const Case cases[] = {
      {Share::kExclusive, Share::kExclusive, false}, {Share::kExclusive, Share::kShareRead, false},
      {Share::kShareRead, Share::kExclusive, false}, {Share::kShareRead, Share::kShareRead, true},
      {Share::kShareAll, Share::kExclusive, true},   {Share::kExclusive, Share::kShareAll, true},
  };
  Put("f", "data");
  int index = 0;
  for (const Case& c : cases) {
    SCOPED_TRACE(index++);
    auto first = env_->Open(P("f"), Options(Access::kRead, Disposition::kOpenExisting, c.first), nullptr);
    ASSERT_TRUE(first);
    FsError error = FsError::kOk;
    auto second =
        env_->Open(P("f"), Options(Access::kRead, Disposition::kOpenExisting, c.second), &error);
    EXPECT_EQ(second != nullptr, c.secondOpens);
    if (!c.secondOpens) {
      EXPECT_EQ(error, FsError::kBusy);
    }
    // Closing the holder gives the lock back.
    second.reset();
    ASSERT_TRUE(first->Close());
    EXPECT_TRUE(env_->Open(P("f"), Options(Access::kRead, Disposition::kOpenExisting, c.second),
                           nullptr));
  }
}

TEST_P(EnvContractTest, RefusedLockLeavesTheFileUntouched) {
  Put("f", "data");
  auto holder =
      env_->Open(P("f"), Options(Access::kRead, Disposition::kOpenExisting, Share::kShareRead), nullptr);
  ASSERT_TRUE(holder);
  FsError error = FsError::kOk;
  EXPECT_FALSE(env_->Open(P("f"), Options(Access::kWrite, Disposition::kCreateAlways, Share::kExclusive),
                          &error));
  EXPECT_EQ(error, FsError::kBusy);
  holder.reset();  // destruction releases the lock as Close does
  EXPECT_EQ(Get("f"), "data");
  EXPECT_TRUE(env_->Open(P("f"), Options(Access::kWrite, Disposition::kOpenExisting, Share::kExclusive),
                         nullptr));
}

TEST_P(EnvContractTest, AttributesFollowTypeNameAndWriteBit) {
  FsError error;
  ASSERT_TRUE(env_->CreateDir(P("dir"), 0755, &error));
  ASSERT_TRUE(env_->CreateDir(P(".dir"), 0755, &error));
  Put("plain", "x");
  Put(".hidden", "x");
  Put("ro", "x");
  Put(".ro", "x");
  ASSERT_TRUE(env_->SetAttributes(P("ro"), kAttrReadOnly));
  ASSERT_TRUE(env_->SetAttributes(P(".ro"), kAttrReadOnly));
  ASSERT_TRUE(harness_->MakeSymlink(P("link"), P("plain")));
  ASSERT_TRUE(harness_->MakeSymlink(P(".link"), P("dir")));
  ASSERT_TRUE(harness_->MakeSymlink(P("dangling"), P("nowhere")));
  const std::pair<const char*, uint32_t> cases[] = {
      {"dir", kAttrDirectory},
      {".dir", kAttrDirectory | kAttrHidden},
      {"plain", kAttrArchive},
      {".hidden", kAttrHidden},
      {"ro", kAttrReadOnly},
      {".ro", kAttrReadOnly | kAttrHidden},
      {"link", kAttrReparsePoint},
      {".link", kAttrReparsePoint | kAttrHidden},
      {"dangling", kAttrReparsePoint},
  };
  for (const auto& [name, expected] : cases) {
    uint32_t attributes = 0;
    EXPECT_TRUE(env_->GetAttributes(P(name), &attributes)) << name;
    EXPECT_EQ(attributes, expected) << name;
  }
  uint32_t attributes = 0;
  EXPECT_FALSE(env_->GetAttributes(P("missing"), &attributes));
}

TEST_P(EnvContractTest, SetAttributesTogglesOnlyReadOnly) {
  Put("f", "x");
  uint32_t attributes = 0;
  ASSERT_TRUE(env_->SetAttributes(P("f"), kAttrReadOnly | kAttrHidden | kAttrSystem));
  ASSERT_TRUE(env_->GetAttributes(P("f"), &attributes));
  EXPECT_EQ(attributes, kAttrReadOnly);
  ASSERT_TRUE(env_->SetAttributes(P("f"), kAttrDirectory));
  ASSERT_TRUE(env_->GetAttributes(P("f"), &attributes));
  EXPECT_EQ(attributes, kAttrArchive);

  // A link has no permissions of its own: its target keeps its bits.
  ASSERT_TRUE(harness_->MakeSymlink(P("link"), P("f")));
  EXPECT_TRUE(env_->SetAttributes(P("link"), kAttrReadOnly));
  ASSERT_TRUE(env_->GetAttributes(P("f"), &attributes));
  EXPECT_EQ(attributes, kAttrArchive);
  EXPECT_FALSE(env_->SetAttributes(P("missing"), 0));
}

TEST_P(EnvContractTest, ReadOnlyFileRefusesWriting) {
  if (!harness_->EnforcesPermissions()) GTEST_SKIP() << "permission bits do not bind this user";
  Put("f", "data");
  ASSERT_TRUE(env_->SetAttributes(P("f"), kAttrReadOnly));
  FsError error = FsError::kOk;
  EXPECT_FALSE(env_->Open(P("f"), Options(Access::kWrite, Disposition::kOpenExisting), &error));
  EXPECT_EQ(error, FsError::kAccessDenied);
  EXPECT_FALSE(env_->Open(P("f"), Options(Access::kReadWrite, Disposition::kCreateAlways), &error));
  EXPECT_EQ(Get("f"), "data");
  ASSERT_TRUE(env_->SetAttributes(P("f"), 0));
  EXPECT_TRUE(env_->Open(P("f"), Options(Access::kWrite, Disposition::kOpenExisting), nullptr));
}

TEST_P(EnvContractTest, StatAndListDirSeeEntriesWithoutFollowingLinks) {
  Put("a", "abc");
  FsError error;
  ASSERT_TRUE(env_->CreateDir(P("b"), 0755, &error));
  ASSERT_TRUE(harness_->MakeSymlink(P("c"), P("b")));
  ASSERT_TRUE(harness_->MakeSpecial(P("d")));

  std::vector<DirEntry> entries;
  ASSERT_TRUE(env_->ListDir(harness_->root(), &entries));
  std::sort(entries.begin(), entries.end(),
            [](const DirEntry& x, const DirEntry& y) { return x.name < y.name; });
  ASSERT_EQ(entries.size(), 4u);
  const std::pair<EntryType, uint64_t> expected[] = {
      {EntryType::kFile, 3}, {EntryType::kDirectory, 0}, {EntryType::kSymlink, 0}, {EntryType::kOther, 0}};
  for (size_t i = 0; i < entries.size(); ++i) {
    SCOPED_TRACE(entries[i].name);
    EXPECT_EQ(entries[i].type, expected[i].first);
    EXPECT_EQ(entries[i].size, expected[i].second);
    EntryInfo info;
    ASSERT_TRUE(env_->Stat(P(entries[i].name), &info));
    EXPECT_EQ(info.type, expected[i].first);
    EXPECT_EQ(info.size, expected[i].second);
  }
  EntryInfo info;
  EXPECT_FALSE(env_->Stat(P("missing"), &info));
  // Only folders are listed, and never through a final link.
  EXPECT_FALSE(env_->ListDir(P("a"), &entries));
  EXPECT_FALSE(env_->ListDir(P("c"), &entries));
  EXPECT_FALSE(env_->ListDir(P("missing"), &entries));
}

TEST_P(EnvContractTest, RenameNeverReplaces) {
  Put("a", "A");
  Put("b", "B");
  FsError error = FsError::kOk;
  EXPECT_FALSE(env_->Rename(P("a"), P("b"), &error));
  EXPECT_EQ(error, FsError::kExists);
  EXPECT_EQ(Get("a"), "A");
  EXPECT_EQ(Get("b"), "B");

  EXPECT_TRUE(env_->Rename(P("a"), P("c"), &error));
  EXPECT_FALSE(Exists("a"));
  EXPECT_EQ(Get("c"), "A");
  EXPECT_FALSE(env_->Rename(P("missing"), P("x"), &error));
  EXPECT_EQ(error, FsError::kNotFound);

  // A link moves as itself; its target stays where it is.
  ASSERT_TRUE(harness_->MakeSymlink(P("link"), P("c")));
  EXPECT_TRUE(env_->Rename(P("link"), P("link2"), &error));
  EntryInfo info;
  ASSERT_TRUE(env_->Stat(P("link2"), &info));
  EXPECT_EQ(info.type, EntryType::kSymlink);
  EXPECT_EQ(Get("c"), "A");
}

TEST_P(EnvContractTest, ReplaceReplacesWhileOpenFilesKeepTheirData) {
  Put("new", "new");
  Put("old", "old");
  auto reader = env_->Open(P("old"), Options(Access::kRead, Disposition::kOpenExisting), nullptr);
  ASSERT_TRUE(reader);
  FsError error = FsError::kIo;
  EXPECT_TRUE(env_->Replace(P("new"), P("old"), &error));
  EXPECT_EQ(error, FsError::kOk);
  EXPECT_FALSE(Exists("new"));
  EXPECT_EQ(Get("old"), "new");
  EXPECT_EQ(ReadRest(*reader), "old");
  EXPECT_FALSE(env_->Replace(P("missing"), P("old"), &error));
  EXPECT_EQ(error, FsError::kNotFound);
}

TEST_P(EnvContractTest, DeleteFileRemovesFilesAndLinksButNoFolder) {
  Put("f", "data");
  ASSERT_TRUE(harness_->MakeSymlink(P("link"), P("f")));
  ASSERT_TRUE(harness_->MakeSpecial(P("fifo")));
  FsError error = FsError::kOk;
  ASSERT_TRUE(env_->CreateDir(P("dir"), 0755, &error));
  EXPECT_FALSE(env_->DeleteFile(P("dir"), &error));
  EXPECT_EQ(error, FsError::kIsDirectory);
  EXPECT_TRUE(Exists("dir"));

  EXPECT_TRUE(env_->DeleteFile(P("link"), &error));
  EXPECT_EQ(Get("f"), "data");
  EXPECT_TRUE(env_->DeleteFile(P("fifo"), &error));
  auto reader = env_->Open(P("f"), Options(Access::kRead, Disposition::kOpenExisting), nullptr);
  ASSERT_TRUE(reader);
  EXPECT_TRUE(env_->DeleteFile(P("f"), &error));
  EXPECT_FALSE(Exists("f"));
  EXPECT_EQ(ReadRest(*reader), "data");
  EXPECT_FALSE(env_->DeleteFile(P("f"), &error));
  EXPECT_EQ(error, FsError::kNotFound);
  EXPECT_EQ(Names(harness_->root()), std::vector<std::string>{"dir"});
}

TEST_P(EnvContractTest, FolderCreationAndRemoval) {
  FsError error = FsError::kOk;
  EXPECT_TRUE(env_->CreateDir(P("d"), 0755, &error));
  EXPECT_FALSE(env_->CreateDir(P("d"), 0755, &error));
  EXPECT_EQ(error, FsError::kExists);
  EXPECT_FALSE(env_->CreateDir(P("missing/x"), 0755, &error));
  EXPECT_EQ(error, FsError::kNotFound);

  Put("d/f", "x");
  EXPECT_FALSE(env_->RemoveDir(P("d"), &error));
  EXPECT_EQ(error, FsError::kNotEmpty);
  EXPECT_EQ(Get("d/f"), "x");
  EXPECT_FALSE(env_->RemoveDir(P("d/f"), &error));
  EXPECT_EQ(error, FsError::kNotDirectory);
  ASSERT_TRUE(env_->DeleteFile(P("d/f"), &error));
  EXPECT_TRUE(env_->SyncDir(P("d")));
  EXPECT_TRUE(env_->RemoveDir(P("d"), &error));
  EXPECT_FALSE(env_->RemoveDir(P("d"), &error));
  EXPECT_EQ(error, FsError::kNotFound);
  EXPECT_FALSE(env_->SyncDir(P("d")));
}

TEST_P(EnvContractTest, OpenRefusesEverythingButRegularFiles) {
  FsError error = FsError::kOk;
  ASSERT_TRUE(env_->CreateDir(P("dir"), 0755, &error));
  Put("target", "data");
  ASSERT_TRUE(harness_->MakeSymlink(P("link"), P("target")));
  ASSERT_TRUE(harness_->MakeSpecial(P("fifo")));

  for (Access access : {Access::kRead, Access::kWrite}) {
    SCOPED_TRACE(static_cast<int>(access));
    EXPECT_FALSE(env_->Open(P("dir"), Options(access, Disposition::kOpenExisting), &error));
    EXPECT_EQ(error, FsError::kIsDirectory);
    // Must fail at once rather than wait for a peer on the other end.
    error = FsError::kOk;
    EXPECT_FALSE(env_->Open(P("fifo"), Options(access, Disposition::kOpenExisting), &error));
    EXPECT_NE(error, FsError::kOk);
  }
  OpenOptions noFollow = Options(Access::kRead, Disposition::kOpenExisting);
  noFollow.followLinks = false;
  EXPECT_FALSE(env_->Open(P("link"), noFollow, &error));
  EXPECT_EQ(error, FsError::kAccessDenied);
  EXPECT_FALSE(env_->Open(P("link"), Options(Access::kWrite, Disposition::kCreateNew), &error));
  EXPECT_EQ(error, FsError::kExists);
  EXPECT_EQ(Get("link"), "data");  // followed when allowed
}

TEST_P(EnvContractTest, OverlongNamesAndPathsFailWithoutTouchingAnything) {
  const std::string longest(kMaxNameBytes, 'n');
  const std::string tooLong(kMaxNameBytes + 1, 'n');
  Put(longest, "x");
  Put("f", "keep");
  std::string deep = harness_->root();
  while (deep.size() <= kMaxPathBytes) deep += "/" + std::string(200, 'd');

  for (const std::string& path : {P(tooLong), deep + "/f"}) {
    SCOPED_TRACE(path.size());
    FsError error = FsError::kOk;
    EXPECT_FALSE(env_->Open(path, Options(Access::kWrite, Disposition::kCreateAlways), &error));
    EXPECT_EQ(error, FsError::kNameTooLong);
    EXPECT_FALSE(env_->CreateDir(path, 0755, &error));
    EXPECT_EQ(error, FsError::kNameTooLong);
    EXPECT_FALSE(env_->Rename(P("f"), path, &error));
    EXPECT_EQ(error, FsError::kNameTooLong);
    EXPECT_FALSE(env_->Replace(P("f"), path, &error));
    EXPECT_EQ(error, FsError::kNameTooLong);
    EXPECT_FALSE(env_->DeleteFile(path, &error));
    EXPECT_EQ(error, FsError::kNameTooLong);
    EXPECT_FALSE(env_->RemoveDir(path, &error));
    EXPECT_EQ(error, FsError::kNameTooLong);
    EntryInfo info;
    EXPECT_FALSE(env_->Stat(path, &info));
    EXPECT_EQ(env_->LongForm(path), "");
  }
  EXPECT_EQ(Names(harness_->root()), (std::vector<std::string>{"f", longest}));
  EXPECT_EQ(Get("f"), "keep");
}

TEST_P(EnvContractTest, LongFormResolvesLinksAndDots) {
  FsError error;
  ASSERT_TRUE(env_->CreateDir(P("d"), 0755, &error));
  ASSERT_TRUE(env_->CreateDir(P("d/e"), 0755, &error));
  ASSERT_TRUE(harness_->MakeSymlink(P("l"), "d"));  // relative to the link's folder
  ASSERT_TRUE(harness_->MakeSymlink(P("dangling"), "nowhere"));
  const std::pair<std::string, std::string> cases[] = {
      {P("d"), P("d")},
      {P("d/./e/.."), P("d")},
      {P("l"), P("d")},
      {P("l/e"), P("d/e")},
      {P("l/.."), harness_->root()},  // ".." is taken after the link, as the kernel does
      {P("missing"), ""},
      {P("d/missing/.."), ""},
      {P("dangling"), ""},
      {"", ""},
  };
  for (const auto& [path, expected] : cases) EXPECT_EQ(env_->LongForm(path), expected) << path;
}

INSTANTIATE_TEST_SUITE_P(
    Envs, EnvContractTest,
    ::testing::Values(EnvKind{"Posix", [] { return std::unique_ptr<Harness>(new PosixHarness); }},
                      EnvKind{"Mem", [] { return std::unique_ptr<Harness>(new MemHarness); }}),
    [](const ::testing::TestParamInfo<EnvKind>& info) { return std::string(info.param.name); });

// What only the fake promises beyond the contract.
TEST(MemEnvTest, ListsInNameOrderAndCountsOpenFiles) {
  MemEnv env;
  ASSERT_TRUE(env.MakeDirs("/a/b"));
  for (const char* name : {"/a/zeta", "/a/Alpha", "/a/mid"}) ASSERT_TRUE(env.WriteFile(name, name));
  std::vector<DirEntry> entries;
  ASSERT_TRUE(env.ListDir("/a", &entries));
  std::vector<std::string> names;
  for (const DirEntry& entry : entries) names.push_back(entry.name);
  EXPECT_EQ(names, (std::vector<std::string>{"Alpha", "b", "mid", "zeta"}));

  auto file = env.Open("/a/mid", Options(Access::kRead, Disposition::kOpenExisting), nullptr);
  EXPECT_EQ(env.OpenFileCount(), 1u);
  file.reset();
  EXPECT_EQ(env.OpenFileCount(), 0u);
  std::string data;
  ASSERT_TRUE(env.ReadFile("/a/mid", &data));
  EXPECT_EQ(data, "/a/mid");
  EXPECT_FALSE(env.ReadFile("/a/b", &data));
  EXPECT_FALSE(env.MakeSymlink("/a/mid", "/x"));  // never replaces
  EXPECT_FALSE(env.MakeSpecial("/missing/s"));
}

TEST(MemEnvTest, LinkLoopsFailInsteadOfHanging) {
  MemEnv env;
  ASSERT_TRUE(env.MakeSymlink("/a", "/b"));
  ASSERT_TRUE(env.MakeSymlink("/b", "/a"));
  FsError error = FsError::kOk;
  EXPECT_FALSE(env.Open("/a", Options(Access::kRead, Disposition::kOpenExisting), &error));
  EXPECT_NE(error, FsError::kOk);
  EXPECT_EQ(env.LongForm("/a/x"), "");
}

TEST(MemEnvTest, UsableFromSeveralThreads) {
  MemEnv env;
  ASSERT_TRUE(env.MakeDirs("/t"));
  std::vector<std::thread> threads;
  for (int t = 0; t < 4; ++t) {
    threads.emplace_back([&env, t] {
      for (int i = 0; i < 200; ++i) {
        std::string path = "/t/" + std::to_string(t) + "-" + std::to_string(i);
        auto file = env.Open(path, Options(Access::kWrite, Disposition::kCreateNew, Share::kExclusive),
                             nullptr);
        size_t written = 0;
        if (file) file->Write("x", 1, &written);
        file.reset();
        env.DeleteFile(path, nullptr);
      }
    });
  }
  for (std::thread& thread : threads) thread.join();
  std::vector<DirEntry> entries;
  ASSERT_TRUE(env.ListDir("/t", &entries));
  EXPECT_TRUE(entries.empty());
  EXPECT_EQ(env.OpenFileCount(), 0u);
}

}  // namespace
}  // namespace nv
