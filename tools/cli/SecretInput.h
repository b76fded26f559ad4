// Passwords that need not travel on the command line, where every user of the
// machine can read them (ps, /proc/PID/cmdline): kelvane-cli takes a secret
// from a prompt on the terminal, from the first line of standard input
// (NAME-stdin) or of a file (NAME-file FILE), as other network tools do; the
// value itself (NAME VALUE) stays for scripts. Confirmations are asked on the
// terminal too.
#pragma once

#include <string>

#include "tools/cli/CommandTable.h"

namespace kelvane::cli {

// Standard input is a terminal (prompts and questions are possible).
bool StdinIsTerminal();

// Asks `prompt` on the controlling terminal, with echo off when `secret`;
// false when there is no terminal or nothing could be read.
bool AskTerminal(const std::string& prompt, bool secret, std::string& answer);

// The first line of standard input (`path` empty) or of the file `path`,
// without its line end; at most 1024 bytes. False with the reason otherwise.
bool ReadSecretLine(const std::string& path, std::string& secret, std::string& why);

// How a secret was given among NAME VALUE, NAME-stdin and NAME-file FILE.
struct SecretChoice {
  int sources = 0;      // how many of the three were given (more than one is an error)
  bool fromStdin = false;
  std::string file;     // NAME-file
  std::string value;    // NAME VALUE, or what the other two read
  bool present = false; // a value was taken
};

// Takes NAME, NAME-stdin and NAME-file from the command's arguments into
// `choice` and reads the line they name. Without any of them and with
// `prompt` given, asks on a terminal (an empty answer counts as none).
// Answers kExitOk, or the status of the complaint it printed.
int TakeSecret(CliContext& c, CommandArgs& args, const std::string& name, const char* prompt, SecretChoice& choice);
// Reads the line that a filled-in `choice` names (stdin or file).
int ReadChosenSecret(CliContext& c, const std::string& name, SecretChoice& choice);

}  // namespace kelvane::cli
