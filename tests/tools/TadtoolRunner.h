#pragma once

// Runs the built tadtool in a temporary folder: files to hand it, standard input, and its exit
// status and output.

#include <gtest/gtest.h>
#include <stdlib.h>
#include <sys/wait.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

struct TadtoolResult {
  int status = -1;
  std::string out;
  std::string err;
};

class TadtoolRunner : public testing::Test {
 protected:
  void SetUp() override {
    std::string pattern = (std::filesystem::temp_directory_path() / "tadtool-XXXXXX").string();
    ASSERT_TRUE(mkdtemp(pattern.data()));
    folder_ = pattern;
  }
  void TearDown() override { std::filesystem::remove_all(folder_); }

  // Writes a file into the temporary folder and answers its path.
  std::string file(const std::string& name, const std::string& text) {
    std::filesystem::path path = folder_ / name;
    std::ofstream(path, std::ios::binary) << text;
    return path.string();
  }

  TadtoolResult run(const std::string& arguments, const std::string& input = "") {
    const std::string in = file("stdin", input);
    const std::filesystem::path out = folder_ / "stdout", err = folder_ / "stderr";
    const std::string command = std::string(TADTOOL_PATH) + " " + arguments + " <" + in + " >" +
                                out.string() + " 2>" + err.string();
    const int raw = std::system(command.c_str());
    TadtoolResult result;
    result.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
    result.out = contents(out);
    result.err = contents(err);
    return result;
  }

 private:
  static std::string contents(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
  }

  std::filesystem::path folder_;
};
