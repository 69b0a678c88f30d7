// norvane-cli shred and methods.
#include <CLI/CLI.hpp>

#include <cstdio>

#include "cli/cli_common.h"
#include "cli/commands.h"
#include "core/jobs.h"

namespace nv::cli {

void AddShredCommands(CLI::App& app, int* exitCode) {
  CLI::App* methods = app.add_subcommand("methods", "List the erase methods and their codes");
  methods->callback([exitCode] {
    for (uint32_t code = 0; code < kShredMethodCount; ++code)
      std::printf("%u  %s (%u passes)\n", code, GetShredMethodText(code).c_str(), ShredPassCount(code));
    *exitCode = kExitOk;
  });
}

}  // namespace nv::cli
