// Enumeration of files, relations between paths, and the guard that keeps
// system and program folders out of every list.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/env.h"
#include "platform/known_folders.h"

namespace nv {

// Collects the files under path (the path itself when it names a file) into
// out, adding their sizes to *total when total is given.
// - filter: an extension such as ".dfc" compared ignoring ASCII case, or null.
//   For a path that names a file, the text from its last dot must equal it;
//   inside folders, a name must be longer than the filter and end with it.
// - recurse: descend into sub-folders; includeFolders: append each sub-folder
//   before its contents. The starting folder itself is never appended.
// Symbolic links and special entries are never listed or followed. Returns
// false when path is missing, is a link or special entry, or cannot be listed.
bool Enumerate(Env* env, const std::string& path, std::vector<std::string>* out, const char* filter,
               bool recurse, uint64_t* total, bool includeFolders);

// The relation of a to b, on their canonical forms: *same when equal, *inside
// when a lies strictly inside b. Returns same || inside. A missing path is
// related to nothing, not even to another missing path.
bool PathRelation(Env* env, const std::string& a, const std::string& b, bool* same, bool* inside);

// True when p and q are the same or one lies inside the other.
bool PathsOverlap(Env* env, const std::string& p, const std::string& q);

// The protected-path guard: false when p must not be added to any list.
bool IsAllowedItem(Env* env, const SpecialFolders& folders, const std::string& p);

// The text after the last '/', or the whole path when that is empty.
std::string DisplayName(const std::string& path);

// The bytes a password is stored and keyed with: the platform's narrow form,
// UTF-8 on Linux, up to (not including) the first zero byte.
std::string ToAnsi(const std::string& text);

// True when the text ends with suffix, comparing ASCII letters ignoring case.
bool EndsWithIgnoringCase(const std::string& text, const std::string& suffix);

}  // namespace nv
