// norvane-cli: the engine's functions from the command line.
#include <CLI/CLI.hpp>

#include "cli/cli_common.h"
#include "cli/commands.h"

int main(int argc, char** argv) {
  CLI::App app{"Norvane: shred, encrypt, back up and lock your files from the command line."};
  app.name("norvane-cli");
  app.require_subcommand(1);
  int exitCode = nv::cli::kExitOk;
  nv::cli::AddShredCommands(app, &exitCode);
  nv::cli::AddEncryptorCommands(app, &exitCode);
  nv::cli::AddBackupCommands(app, &exitCode);
  nv::cli::AddUsbCommands(app, &exitCode);
  try {
    app.parse(argc, argv);
  } catch (const CLI::ParseError& error) {
    return app.exit(error) == 0 ? nv::cli::kExitOk : nv::cli::kExitUsage;
  }
  return exitCode;
}
