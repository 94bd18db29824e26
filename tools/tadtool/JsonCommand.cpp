#include "tools/tadtool/JsonCommand.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <iterator>
#include <optional>
#include <sstream>
#include <string>
#include <string_view>
#include <vector>

#include "base/Utf8Validator.h"
#include "json/TAD_VeskJSON.h"
#include "tools/tadtool/TextPosition.h"

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
    "Exit status 0 when FILE reads as JSON. Otherwise standard error gets FILE:LINE:COLUMN\n"
    "where reading stopped, the error code and message, and the errors underneath (the first\n"
    "ones and the innermost when there are many), and the exit status is 1. Text that is not\n"
    "UTF-8 is refused at its first malformed byte. Lines, columns (in characters) and bytes\n"
    "count from 1. Exit status 2 means a usage error or a file that cannot be read.\n";

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

// The file's bytes, or nothing with errno saying why. A folder opens as a stream but reads as
// nothing, so it is refused before.
std::optional<std::string> readFile(const std::string& path) {
  if (path == "-") {
    return std::string(std::istreambuf_iterator<char>(std::cin), std::istreambuf_iterator<char>());
  }
  std::error_code ignored;
  if (std::filesystem::is_directory(path, ignored)) {
    errno = EISDIR;
    return std::nullopt;
  }
  std::ifstream in(path, std::ios::binary);
  if (!in) return std::nullopt;
  std::ostringstream text;
  text << in.rdbuf();
  if (in.bad()) return std::nullopt;
  return text.str();
}

// The offset of the first byte that begins no well-formed UTF-8 sequence.
std::optional<size_t> firstMalformedByte(std::string_view text) {
  const char* end = text.data() + text.size();
  for (const char* p = text.data(); p < end;) {
    size_t length = base::Utf8Validator::sequenceLength(p, end);
    if (length == 0) return static_cast<size_t>(p - text.data());
    p += length;
  }
  return std::nullopt;
}

void printCause(const base::Error& cause) {
  std::cerr << "  caused by error " << cause.code() << ": " << cause.localizedDescription() << "\n";
}

// The error, then its chain: whole when short; a chain as long as the nesting (one link per open
// container) shows its first links and its innermost cause, the one that says what went wrong.
void printError(const std::string& where, const base::Error& error) {
  constexpr size_t kShownAtTheTop = 2;
  std::cerr << where << ": error " << error.code() << ": " << error.localizedDescription() << "\n";
  std::vector<const base::Error*> chain;
  for (const base::Error* cause = error.underlyingError().get(); cause;
       cause = cause->underlyingError().get()) {
    chain.push_back(cause);
  }
  if (chain.size() <= kShownAtTheTop + 2) {
    for (const base::Error* cause : chain)
      printCause(*cause);
    return;
  }
  for (size_t i = 0; i < kShownAtTheTop; ++i)
    printCause(*chain[i]);
  std::cerr << "  ... " << chain.size() - kShownAtTheTop - 1 << " more\n";
  printCause(*chain.back());
}

std::string placeIn(const std::string& path, std::string_view text, size_t offset) {
  TextPosition position = TextPosition::of(text, offset);
  return path + ":" + std::to_string(position.line) + ":" + std::to_string(position.column);
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
  // The reader refuses malformed UTF-8 as it does missing input; say where it is instead.
  if (std::optional<size_t> malformed = firstMalformedByte(*text)) {
    std::cerr << placeIn(path, *text, *malformed) << ": error " << TAD_VeskJSON::kNoInput
              << ": not valid UTF-8 at byte " << *malformed + 1 << "\n";
    status = kRefused;
    return std::nullopt;
  }
  base::Error error;
  size_t stoppedAt = 0;
  std::optional<base::Value> value =
      TAD_VeskJSON().objectWithString(*text, false, &error, &stoppedAt);
  if (!value) {
    printError(placeIn(path, *text, stoppedAt), error);
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
