// tadtool: the ad library's codecs on the command line, for people who write page scripts and run
// ad servers. It only parses arguments; the libraries do the work.

#include <iostream>
#include <string>
#include <string_view>

#include "tools/tadtool/EncodingCommand.h"
#include "tools/tadtool/JsonCommand.h"
#include "tools/tadtool/UuleCommand.h"

namespace {

constexpr const char* kHelp =
    "usage: tadtool <command> [arguments]\n"
    "\n"
    "commands:\n"
    "  json check FILE            whether FILE reads as the ad library reads JSON\n"
    "  json format [--sort] FILE  FILE in the library's human-readable JSON form\n"
    "  encode --encoding NAME     standard input to standard output in a base-N encoding\n"
    "  decode --encoding NAME     the reverse\n"
    "  uule encode|decode ...     the location value of a request, and the record inside one\n"
    "\n"
    "  --version                  the tool's version\n"
    "\n"
    "Run 'tadtool <command> --help' for more. Exit status: 0 done, 1 input refused, 2 usage.\n";

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) {
    std::cerr << "tadtool: missing command\n\n" << kHelp;
    return 2;
  }
  std::string_view command = argv[1];
  if (command == "--help" || command == "-h") {
    std::cout << kHelp;
    return 0;
  }
  if (command == "--version") {
    std::cout << "tadtool " << TAD_VERSION << "\n";
    return 0;
  }
  if (command == "json") return runJsonCommand(argc - 1, argv + 1);
  if (command == "encode" || command == "decode") return runEncodingCommand(argc - 1, argv + 1);
  if (command == "uule") return runUuleCommand(argc - 1, argv + 1);
  std::cerr << "tadtool: unknown command '" << command << "'\n\n" << kHelp;
  return 2;
}
