// The subcommands of qvx. Each takes its own argv (argv[0] is the subcommand's name), prints its
// --help text, and returns the exit status.
#pragma once

int RunList(int argc, char** argv);
int RunIdentify(int argc, char** argv);
int RunAd(int argc, char** argv);
int RunDa(int argc, char** argv);
int RunIo(int argc, char** argv);
