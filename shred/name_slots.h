// Names the shredder gives a file before deleting it, and the throw-away names
// it creates and removes afterwards so that the folder's entry slots no longer
// hold the old name. All of them are 32 characters long and live in the
// folder of the shredded entry.
#pragma once

#include <string>
#include <vector>

#include "platform/env.h"

namespace nv {

constexpr size_t kWorkingNameLength = 32;

// The 32-dollar working name beside path.
std::string WorkingName(const std::string& path);

// True when names of kWorkingNameLength characters beside path fit the
// system's limits; when they do not, the caller skips renaming and churning.
bool WorkingNameFits(const std::string& path);

// The 52 churn names beside path, in the order they are used: "A" to "Z"
// followed by 31 dollar signs, then "Za" to "Zz" followed by 30.
std::vector<std::string> ChurnNames(const std::string& path);

// Moves path to a working name that does not exist yet: the 32-dollar one, or
// when that is taken one of the same length with a different last character.
// Never replaces an entry. Returns the new path, or "" when no name was free,
// none fits, or the move failed.
std::string MoveToWorkingName(Env* env, const std::string& path);

}  // namespace nv
