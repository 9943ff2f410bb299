#pragma once
// For a target that reaches many distinct edges (the HTTP client, SQLite under the history):
// libFuzzer's entropic scheduling then spends most of each run weighing them, and plain
// scheduling runs several times as many inputs in the same time. The flag is added before
// libFuzzer reads its flags, so one given on the command line wins. Include it in one target's
// source only: it defines the target's LLVMFuzzerInitialize.
#include <vector>

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
  static std::vector<char*> args;
  static char entropic[] = "-entropic=0";
  args.assign(*argv, *argv + *argc);
  args.insert(args.begin() + 1, entropic);
  args.push_back(nullptr);
  *argc = static_cast<int>(args.size() - 1);
  *argv = args.data();
  return 0;
}
