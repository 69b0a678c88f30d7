// The command groups of norvane-cli. Each adds its subcommands to the app;
// the one that runs stores its exit status (cli_common.h) in *exitCode.
#pragma once

namespace CLI {
class App;
}

namespace nv::cli {

void AddShredCommands(CLI::App& app, int* exitCode);
void AddEncryptorCommands(CLI::App& app, int* exitCode);
void AddBackupCommands(CLI::App& app, int* exitCode);
void AddUsbCommands(CLI::App& app, int* exitCode);

}  // namespace nv::cli
