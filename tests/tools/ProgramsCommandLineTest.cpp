// Every program's own command line, run as a user runs it: --version, -h and --help answer and
// exit 0; a wrong option or value exits 2 and says why. Nothing here needs a display: each program
// reads its options before it opens a window or listens.

#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdio>
#include <string>
#include <tuple>

namespace {

using testing::HasSubstr;

// The exit status and what the command wrote on stdout and stderr together.
std::pair<int, std::string> run(const std::string& command) {
  std::string output;
  FILE* pipe = ::popen((command + " 2>&1 </dev/null").c_str(), "r");
  if (!pipe) return {-1, output};
  char buffer[4096];
  for (size_t n; (n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0;)
    output.append(buffer, n);
  const int raw = ::pclose(pipe);
  return {WIFEXITED(raw) ? WEXITSTATUS(raw) : -1, output};
}

TEST(ProgramsCommandLineTest, AnswerVersionAndHelpAndRefuseWrongUsageWithStatusTwo) {
  const std::string quillbeck = QUILLBECK_PATH, adnetwork = ADNETWORK_PATH,
                    screenshots = SCREENSHOTS_PATH, tadtool = TADTOOL_PATH;
  const std::tuple<std::string, int, const char*> cases[] = {
      {quillbeck + " --version", 0, "quillbeck 4.2.0\n"},
      {quillbeck + " -h", 0, "usage: quillbeck"},
      {quillbeck + " --device watch", 2, "unknown device"},
      {quillbeck + " --ad-network http://ads.example/avmo", 2, "without a path"},
      {quillbeck + " --ad-network ftp://ads.example", 2, "without a path"},
      {quillbeck + " --screenshot", 2, "incomplete option"},
      {adnetwork + " --version", 0, "tad-reference-network 4.2.0\n"},
      {adnetwork + " -h", 0, "Usage: tad-reference-network"},
      {adnetwork + " --help", 0, "--fault FAULT"},
      {adnetwork + " --port many", 2, "--port wants a number"},
      {adnetwork + " --verbose", 2, "unknown option --verbose"},
      {adnetwork + " --log", 2, "--log needs a value"},
      {screenshots + " --version", 0, "screenshots 4.2.0\n"},
      {screenshots + " --help", 0, "usage: screenshots FOLDER"},
      {screenshots + " -h", 0, "usage: screenshots FOLDER"},
      {screenshots, 2, "missing FOLDER"},
      {screenshots + " one two", 2, "unexpected argument \"two\""},
      {screenshots + " folder --device watch", 2, "unknown device"},
      {tadtool + " --version", 0, "tadtool 4.2.0\n"},
  };
  for (const auto& [command, status, said] : cases) {
    const auto [exitStatus, output] = run(command);
    EXPECT_EQ(exitStatus, status) << command << "\n" << output;
    EXPECT_THAT(output, HasSubstr(said)) << command;
  }
}

}  // namespace
