#include "tools/tadtool/JsonCommand.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <iostream>
#include <iterator>
#include <optional>
#include <sstream>
#include <string>
#include <string_view>
#include <vector>

#include "json/TAD_VeskJSON.h"

namespace {

constexpr int kDone = 0;
constexpr int kRefused = 1;
constexpr int kUsage = 2;

constexpr const char* kJsonHelp =
    "usage: tadtool json <command> [options] [FILE]\n"
    "\n"
    "Reads FILE (standard input when FILE is \"-\" or not given) the way the ad library reads "
    "JSON: an object or an\n"
    "array at the root, strict single values, commas between members optional.\n"
    "\n"
    "commands:\n"
    "  check    exit 0 when the text reads; otherwise print the error and its causes, exit 1\n"
    "  format   print the text in the library's human-readable form\n"
    "\n"
    "Run 'tadtool json <command> --help' for a command's options.\n";

constexpr const char* kCheckHelp =
    "usage: tadtool json check [FILE]\n"
    "\n"
    "Exit status 0 when FILE reads as JSON. Otherwise the error code and message and each\n"
    "underlying error go to standard error and the exit status is 1. Exit status 2 means a usage\n"
    "error or a file that cannot be opened.\n";

constexpr const char* kFormatHelp =
    "usage: tadtool json format [--sort] [FILE]\n"
    "\n"
    "Prints FILE in the human-readable form: one member or element per line, indented by two\n"
    "spaces per level, \" : \" between key and value.\n"
    "\n"
    "options:\n"
    "  --sort   members in ascending key order instead of the order of the text\n";

bool isHelp(std::string_view argument) {
  return argument == "--help" || argument == "-h";
}

int usageError(const std::string& message, const char* help) {
  std::cerr << "tadtool: " << message << "\n\n" << help;
  return kUsage;
}

std::optional<std::string> readFile(const std::string& path) {
  if (path == "-") {
    return std::string(std::istreambuf_iterator<char>(std::cin), std::istreambuf_iterator<char>());
  }
  std::ifstream in(path, std::ios::binary);
  if (!in) return std::nullopt;
  std::ostringstream text;
  text << in.rdbuf();
  if (in.bad()) return std::nullopt;
  return text.str();
}

void printError(const std::string& path, const base::Error& error) {
  std::cerr << path << ": error " << error.code() << ": " << error.localizedDescription() << "\n";
  for (const base::Error* cause = error.underlyingError().get(); cause;
       cause = cause->underlyingError().get()) {
    std::cerr << "  caused by error " << cause->code() << ": " << cause->localizedDescription()
              << "\n";
  }
}

// The command's options and its one FILE ("-" when none is given), or the exit status of a usage
// error or help.
struct Arguments {
  bool sort = false;
  std::string path;
};

std::optional<Arguments> parseArguments(int argc, char** argv, bool allowSort, const char* help,
                                        int& status) {
  Arguments arguments;
  std::vector<std::string> files;
  for (int i = 1; i < argc; ++i) {
    std::string argument = argv[i];
    if (isHelp(argument)) {
      std::cout << help;
      status = kDone;
      return std::nullopt;
    }
    if (allowSort && argument == "--sort") {
      arguments.sort = true;
    } else if (argument.size() > 1 && argument[0] == '-') {
      status = usageError("unknown option '" + argument + "'", help);
      return std::nullopt;
    } else {
      files.push_back(argument);
    }
  }
  if (files.size() > 1) {
    status = usageError("more than one FILE", help);
    return std::nullopt;
  }
  arguments.path = files.empty() ? "-" : files.front();
  return arguments;
}

// Reads the file as the library does; prints why when it cannot.
std::optional<base::Value> readJson(const std::string& path, int& status) {
  std::optional<std::string> text = readFile(path);
  if (!text) {
    std::cerr << "tadtool: cannot read " << path << ": " << std::strerror(errno) << "\n";
    status = kUsage;
    return std::nullopt;
  }
  base::Error error;
  std::optional<base::Value> value = TAD_VeskJSON().objectWithString(*text, &error);
  if (!value) {
    printError(path, error);
    status = kRefused;
  }
  return value;
}

int check(int argc, char** argv) {
  int status = kDone;
  std::optional<Arguments> arguments = parseArguments(argc, argv, false, kCheckHelp, status);
  if (!arguments) return status;
  if (!readJson(arguments->path, status)) return status;
  std::cout << arguments->path << ": ok\n";
  return kDone;
}

int format(int argc, char** argv) {
  int status = kDone;
  std::optional<Arguments> arguments = parseArguments(argc, argv, true, kFormatHelp, status);
  if (!arguments) return status;
  std::optional<base::Value> value = readJson(arguments->path, status);
  if (!value) return status;
  TAD_VeskJSON json;
  json.setHumanReadable(true);
  json.setSortKeys(arguments->sort);
  base::Error error;
  std::optional<std::string> text = json.stringWithObject(*value, &error);
  if (!text) {
    printError(arguments->path, error);
    return kRefused;
  }
  std::cout << *text << "\n";
  return kDone;
}

}  // namespace

int runJsonCommand(int argc, char** argv) {
  if (argc < 2) return usageError("json needs a command", kJsonHelp);
  std::string_view command = argv[1];
  if (isHelp(command)) {
    std::cout << kJsonHelp;
    return kDone;
  }
  if (command == "check") return check(argc - 1, argv + 1);
  if (command == "format") return format(argc - 1, argv + 1);
  return usageError("unknown json command '" + std::string(command) + "'", kJsonHelp);
}
