#pragma once
// orv-cli's main with every command, in the program module. The launcher finds it as the C
// symbol orv_cli_main after loading the module.

namespace orv::cli {

int OrvCliMain(int argc, char** argv);

}  // namespace orv::cli

extern "C" int orv_cli_main(int argc, char** argv);
