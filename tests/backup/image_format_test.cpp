// The image records as bytes: field offsets, limits and the checks that keep
// a damaged or crafted image from reaching outside the destination.
#include <gtest/gtest.h>

#include <cstring>

#include "backup/image_format.h"
#include "crypt/cipher.h"
#include "crypt/zlib_codec.h"
#include "tests/backup/backup_test_util.h"

namespace nv {
namespace {

std::string Bytes(const uint8_t* data, size_t size) { return std::string(reinterpret_cast<const char*>(data), size); }

TEST(ImageHeader, FieldsSitAtTheirOffsetsAndThePasswordIsHidden) {
  uint8_t bytes[kImageHeaderSize];
  EncodeImageHeader(MakeImageHeader("secret", 0, 0, 45658.75), bytes);
  std::string header = Bytes(bytes, sizeof bytes);
  EXPECT_EQ(header.substr(0, 4), std::string("\x5F\xC9\x5B\xD6", 4));
  EXPECT_EQ(test::Le32(header, 4), 1u);
  EXPECT_EQ(test::Le32(header, 8), 0u);
  EXPECT_EQ(test::Le32(header, 12), 0u);
  double created;
  std::memcpy(&created, bytes + 16, 8);
  EXPECT_EQ(created, 45658.75);
  // The first 6 bytes are "secret" combined with the fixed key's stream; the rest stay zero.
  uint8_t stream[16] = {};
  EncryptFixedBlock(stream, 16);
  for (size_t i = 0; i < 6; ++i) EXPECT_EQ(bytes[24 + i], static_cast<uint8_t>("secret"[i] ^ stream[i]));
  EXPECT_EQ(header.substr(30, 10), std::string(10, '\0'));
  EXPECT_EQ(test::Le32(header, 40), 6u);
  EXPECT_EQ(header.substr(44, 36), std::string(36, '\0'));

  ImageHeader decoded;
  ASSERT_TRUE(DecodeImageHeader(bytes, &decoded));
  EXPECT_EQ(decoded.createdTime, 45658.75);
  EXPECT_TRUE(ImagePasswordMatches(decoded, "secret"));
}

TEST(ImageHeader, AcceptsVersionsZeroAndOneWithTheMagicOnly) {
  uint8_t bytes[kImageHeaderSize];
  EncodeImageHeader(MakeImageHeader("pw", 0, 0, 0.0), bytes);
  ImageHeader header;
  for (uint32_t version : {0u, 1u, 2u, 0xFFFFFFFFu}) {
    bytes[4] = static_cast<uint8_t>(version);
    bytes[7] = static_cast<uint8_t>(version >> 24);
    EXPECT_EQ(DecodeImageHeader(bytes, &header), version <= 1) << version;
  }
  bytes[4] = 1, bytes[7] = 0;
  bytes[0] ^= 1;
  EXPECT_FALSE(DecodeImageHeader(bytes, &header));
}

TEST(ImageHeader, PasswordMustMatchInLengthAndBytes) {
  ImageHeader header = MakeImageHeader("abcdef", 0, 0, 0.0);
  EXPECT_TRUE(ImagePasswordMatches(header, "abcdef"));
  EXPECT_FALSE(ImagePasswordMatches(header, "abcdeF"));
  EXPECT_FALSE(ImagePasswordMatches(header, "abcde"));
  EXPECT_FALSE(ImagePasswordMatches(header, "abcdefg"));
  EXPECT_FALSE(ImagePasswordMatches(header, std::string("abcdef\0", 7)));
  EXPECT_TRUE(ImagePasswordMatches(MakeImageHeader("", 0, 0, 0.0), ""));
  EXPECT_TRUE(ImagePasswordMatches(MakeImageHeader("0123456789abcdef", 0, 0, 0.0), "0123456789abcdef"));
  header.passwordLength = 17;  // never matches, and the 16-byte field is not overrun
  EXPECT_FALSE(ImagePasswordMatches(header, std::string(17, 'a')));
}

TEST(ImageEntry, PathIsUtf16LeTerminatedAndZeroFilled) {
  ImageEntry entry;
  entry.kind = kEntryFile;
  entry.attributes = 0x21;
  entry.relativePath = u"D\u00fc\\\u2713";
  uint8_t bytes[kImageEntrySize];
  std::memset(bytes, 0xAA, sizeof bytes);
  ASSERT_TRUE(EncodeImageEntry(entry, bytes));
  std::string raw = Bytes(bytes, sizeof bytes);
  EXPECT_EQ(test::Le32(raw, 0), DFI_MAGIC);
  EXPECT_EQ(test::Le32(raw, 4), 1u);
  EXPECT_EQ(test::Le32(raw, 8), 0x21u);
  EXPECT_EQ(raw.substr(12, 8), std::string("D\0\xFC\0\\\0\x13\x27", 8));
  EXPECT_EQ(raw.substr(20), std::string(kImageEntrySize - 20, '\0'));

  ImageEntry decoded;
  bytes[0] = 0;  // the entry's magic is not looked at
  ASSERT_TRUE(DecodeImageEntry(bytes, &decoded));
  EXPECT_EQ(decoded.relativePath, entry.relativePath);
  EXPECT_EQ(decoded.attributes, 0x21u);
}

TEST(ImageEntry, PathLimitIs259UnitsAndTheTerminatorIsRequired) {
  ImageEntry entry;
  uint8_t bytes[kImageEntrySize];
  entry.relativePath.assign(259, u'x');
  ASSERT_TRUE(EncodeImageEntry(entry, bytes));
  ImageEntry decoded;
  ASSERT_TRUE(DecodeImageEntry(bytes, &decoded));
  EXPECT_EQ(decoded.relativePath.size(), 259u);
  entry.relativePath.assign(260, u'x');
  EXPECT_FALSE(EncodeImageEntry(entry, bytes));
  bytes[12 + 2 * 259] = 'x';  // the last unit was the terminator
  EXPECT_FALSE(DecodeImageEntry(bytes, &decoded));
}

TEST(BlockHeader, StoredSizeIsBoundedByTheBuffer) {
  uint8_t bytes[kBlockHeaderSize];
  BlockHeader header{65536, static_cast<uint32_t>(kStoredChunkCapacity), 1};
  EncodeBlockHeader(header, bytes);
  EXPECT_EQ(Bytes(bytes, 16), std::string("\x5F\xC9\x5B\xD6\x00\x00\x01\x00\x3F\x33\x01\x00\x01\x00\x00\x00", 16));
  BlockHeader decoded;
  EXPECT_TRUE(DecodeBlockHeader(bytes, &decoded));
  EXPECT_EQ(decoded.storedSize, kStoredChunkCapacity);
  for (uint32_t stored : {static_cast<uint32_t>(kStoredChunkCapacity + 1), 0xFFFFFFFFu}) {
    header.storedSize = stored;
    EncodeBlockHeader(header, bytes);
    EXPECT_FALSE(DecodeBlockHeader(bytes, &decoded)) << stored;
  }
  header.storedSize = 10;
  EncodeBlockHeader(header, bytes);
  bytes[3] = 0;
  EXPECT_FALSE(DecodeBlockHeader(bytes, &decoded));
}

TEST(AppendImageName, BuildsBackslashPathsAndRefusesNamesThatCannotRoundTrip) {
  struct Case {
    std::u16string parent;
    std::string name;
    bool ok;
    std::u16string expected;
  };
  const Case cases[] = {
      {u"", "Docs", true, u"Docs"},
      {u"Docs", "a.txt", true, u"Docs\\a.txt"},
      {u"Docs\\x", "sub \xC3\xBC", true, u"Docs\\x\\sub \u00fc"},
      {u"", "\xF0\x9F\x98\x80.txt", true, u"\U0001F600.txt"},  // a surrogate pair
      {u"Docs", "c:x", true, u"Docs\\c:x"},
      {u"", "", true, u""},  // the root folder's own entry
      {u"Docs", "we\\ird", false, u""},
      {u"", "bad\xFF", false, u""},
      {u"", "\xC0\xAF", false, u""},  // an overlong '/'
      {u"", "\xED\xA0\x80", false, u""},  // an encoded surrogate
      {u"", "c:x", false, u""},  // would read back as a drive prefix
      {u"Docs", "", false, u""},
  };
  for (const Case& c : cases) {
    std::u16string out = u"unchanged";
    EXPECT_EQ(AppendImageName(c.parent, c.name, &out), c.ok) << c.name;
    if (c.ok) {
      EXPECT_EQ(out, c.expected) << c.name;
    }
  }
  std::u16string parent(250, u'p');
  std::u16string out;
  EXPECT_TRUE(AppendImageName(parent, "12345678", &out));  // 259 units
  EXPECT_FALSE(AppendImageName(parent, "123456789", &out));
}

TEST(ResolveRelativePath, RefusesEveryWayOutOfTheDestination) {
  const std::u16string refused[] = {
      u"..",          u"..\\evil",     u"a\\..\\..\\evil", u".",           u"a\\.\\b",
      u"\\evil",      u"\\\\host\\share", u"C:\\evil",    u"c:evil",      u"Z:",
      u"a\\\\b",      u"a\\",          u"/etc/passwd",     u"a/../../evil", u"a\\b/c",
      std::u16string(u"a\0b", 3),      u"bad\xD800",       u"\xDC00",
  };
  std::vector<std::string> names;
  for (const std::u16string& path : refused)
    EXPECT_FALSE(ResolveRelativePath(path, &names)) << std::string(path.begin(), path.end());

  ASSERT_TRUE(ResolveRelativePath(u"Docs\\sub \u00fc\\..a\\...\\:x\\a..", &names));
  EXPECT_EQ(names, (std::vector<std::string>{"Docs", "sub \xC3\xBC", "..a", "...", ":x", "a.."}));
  ASSERT_TRUE(ResolveRelativePath(u"", &names));
  EXPECT_TRUE(names.empty());
}

}  // namespace
}  // namespace nv
