// Runs a program of the build for tests, without a shell.

#ifndef TALOR_TESTS_BARCODE_RUN_PROGRAM_H_
#define TALOR_TESTS_BARCODE_RUN_PROGRAM_H_

#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace talor::testing {

struct ProgramResult {
  int status = -1;         // the exit code, or -1 when the program did not exit normally
  long peakKilobytes = 0;  // the program's largest resident set
  std::string out;
  std::string err;
};

inline std::string ReadAll(int fd) {
  std::string text;
  char buffer[4096];
  ssize_t n;
  while ((n = read(fd, buffer, sizeof buffer)) > 0) text.append(buffer, static_cast<size_t>(n));
  return text;
}

// Runs args[0] with the arguments and `input` as its standard input (a
// pipe, not a terminal); standard error is collected after standard output
// has ended, which suits programs that write little to it.
inline ProgramResult RunProgram(const std::vector<std::string>& args, std::string_view input = {}) {
  int inPipe[2];
  int outPipe[2];
  int errPipe[2];
  if (pipe(inPipe) != 0 || pipe(outPipe) != 0 || pipe(errPipe) != 0) return {};
  const pid_t pid = fork();
  if (pid == 0) {
    dup2(inPipe[0], 0);
    dup2(outPipe[1], 1);
    dup2(errPipe[1], 2);
    for (int fd : {inPipe[0], inPipe[1], outPipe[0], outPipe[1], errPipe[0], errPipe[1]}) close(fd);
    std::vector<char*> argv;
    for (const std::string& arg : args) argv.push_back(const_cast<char*>(arg.c_str()));
    argv.push_back(nullptr);
    execv(argv[0], argv.data());
    _exit(127);
  }
  for (int fd : {inPipe[0], outPipe[1], errPipe[1]}) close(fd);
  if (!input.empty()) {
    // A program that ends without reading its input leaves it unwritten.
    [[maybe_unused]] const ssize_t written = write(inPipe[1], input.data(), input.size());
  }
  close(inPipe[1]);
  ProgramResult result;
  result.out = ReadAll(outPipe[0]);
  result.err = ReadAll(errPipe[0]);
  close(outPipe[0]);
  close(errPipe[0]);
  int status = 0;
  rusage usage{};
  wait4(pid, &status, 0, &usage);
  result.peakKilobytes = usage.ru_maxrss;
  result.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  return result;
}

inline std::string ToolPath() { return std::string(TALOR_BINARY_DIR) + "/src/app/talor-tool"; }

}  // namespace talor::testing

#endif  // TALOR_TESTS_BARCODE_RUN_PROGRAM_H_
