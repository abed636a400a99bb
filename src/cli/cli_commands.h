#pragma once
// The table of the console program's commands. Each feature adds its
// commands in a file of its own (cli_registry.cpp, ...) through one Add
// function listed here and called by Commands().
#include <vector>

#include "cli/cli_args.h"

namespace qrv::cli {

const std::vector<CommandSpec>& Commands();

// scan, fix
void AddRegistryCommands(std::vector<CommandSpec>& table);
// startup, startup remove, startup add, schedule, schedule set
void AddStartupCommands(std::vector<CommandSpec>& table);

// privacy scan|clean, junk find|remove, shortcuts scan|remove
void AddCleaningCommands(std::vector<CommandSpec>& table);
// tweaks, tweaks apply, logs, undo
void AddToolCommands(std::vector<CommandSpec>& table);
// home scan, home repair
void AddHomeCommands(std::vector<CommandSpec>& table);
// ignore list|add|remove
void AddIgnoreCommands(std::vector<CommandSpec>& table);
// removed, restore
void AddRecoveryCommands(std::vector<CommandSpec>& table);

// Shared by the commands: a comma-separated list of numbers within
// [low, high] ("1,3,5"), each at most once; false when the text is not one.
bool ParseNumberList(const std::string& text, int low, int high, std::vector<int>& numbers);

}  // namespace qrv::cli
