// Runs the built brant binary as a user runs it: arguments, standard input
// from a file, standard output and error kept, the exit code and the
// child's own peak memory.
#pragma once

#include <fcntl.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>

#include <string>
#include <vector>

#include "support/temp_dir.h"

extern char** environ;

namespace brant::test_support {

struct BrantRun {
  int exitCode = -1;
  std::string out, err;
  long peakKilobytes = 0;
};

// `outPath` empty keeps standard output in `out`; otherwise it goes there.
// `environment` entries ("NAME=value") are added to this process's own; a
// "NAME=" entry with no value removes NAME. `workDir` empty: this process's.
inline BrantRun RunBrant(std::vector<std::string> args, const std::string& inPath = "/dev/null",
                         const std::string& outPath = "",
                         const std::vector<std::string>& environment = {},
                         const std::string& workDir = "") {
  TempDir scratch;
  const std::string out = outPath.empty() ? scratch.PathOf("out") : outPath;
  const std::string err = scratch.PathOf("err");
  posix_spawn_file_actions_t files;
  posix_spawn_file_actions_init(&files);
  posix_spawn_file_actions_addopen(&files, 0, inPath.c_str(), O_RDONLY, 0);
  posix_spawn_file_actions_addopen(&files, 1, out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
  posix_spawn_file_actions_addopen(&files, 2, err.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
  if (!workDir.empty()) posix_spawn_file_actions_addchdir_np(&files, workDir.c_str());
  args.insert(args.begin(), BRANT_BINARY);
  std::vector<char*> argv;
  for (std::string& a : args) argv.push_back(a.data());
  argv.push_back(nullptr);
  std::vector<std::string> variables;
  for (char** v = environ; *v != nullptr; ++v) variables.emplace_back(*v);
  for (const std::string& entry : environment) {
    const std::string name = entry.substr(0, entry.find('=') + 1);
    std::erase_if(variables, [&](const std::string& v) { return v.starts_with(name); });
    if (entry.size() > name.size()) variables.push_back(entry);
  }
  std::vector<char*> envp;
  for (std::string& v : variables) envp.push_back(v.data());
  envp.push_back(nullptr);
  pid_t pid = 0;
  BrantRun run;
  if (posix_spawn(&pid, BRANT_BINARY, &files, nullptr, argv.data(), envp.data()) != 0) {
    FailWithErrno("posix_spawn");
  }
  posix_spawn_file_actions_destroy(&files);
  int status = 0;
  rusage usage{};
  if (wait4(pid, &status, 0, &usage) != pid) FailWithErrno("wait4");
  run.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
  run.peakKilobytes = usage.ru_maxrss;
  auto slurp = [](const std::string& path) {
    const int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
    std::string text = fd < 0 ? "" : ReadAll(fd);
    if (fd >= 0) close(fd);
    return text;
  };
  if (outPath.empty()) run.out = slurp(out);
  run.err = slurp(err);
  return run;
}

}  // namespace brant::test_support
