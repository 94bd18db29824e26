#include "tools/tadtool/EncodingCommand.h"

#include <iostream>
#include <iterator>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "encoding/RookStringEncoding.h"

namespace {

constexpr int kDone = 0;
constexpr int kRefused = 1;
constexpr int kUsage = 2;

constexpr const char* kEncodeHelp =
    "usage: tadtool encode --encoding NAME [--no-pad]\n"
    "\n"
    "Encodes standard input as text in the named encoding and writes it, with a line feed, to\n"
    "standard output.\n"
    "\n"
    "options:\n"
    "  --encoding NAME   binary, hex, base32, base32hex, crockford, base64 or base64websafe\n"
    "  --no-pad          leave out the padding characters (base32, base32hex, base64,\n"
    "                    base64websafe pad by default)\n";

constexpr const char* kDecodeHelp =
    "usage: tadtool decode --encoding NAME\n"
    "\n"
    "Decodes the text on standard input, as strictly as the ad library does, and writes the\n"
    "bytes to standard output. One line end at the end of the text is allowed. Exit status 1\n"
    "when the text is not valid for the encoding.\n"
    "\n"
    "options:\n"
    "  --encoding NAME   binary, hex, base32, base32hex, crockford, base64 or base64websafe\n";

struct NamedEncoding {
  std::string_view name;
  std::shared_ptr<RookStringEncoding> (*make)();
};

constexpr NamedEncoding kEncodings[] = {
    {"binary", RookStringEncoding::binaryStringEncoding},
    {"hex", RookStringEncoding::hexStringEncoding},
    {"base32", RookStringEncoding::rfc4648Base32StringEncoding},
    {"base32hex", RookStringEncoding::rfc4648Base32HexStringEncoding},
    {"crockford", RookStringEncoding::crockfordBase32StringEncoding},
    {"base64", RookStringEncoding::rfc4648Base64StringEncoding},
    {"base64websafe", RookStringEncoding::rfc4648Base64WebsafeStringEncoding},
};

struct Options {
  bool encode = true;
  bool help = false;
  bool pad = true;
  std::string_view encodingName;
};

bool isHelp(std::string_view argument) {
  return argument == "--help" || argument == "-h";
}

std::shared_ptr<RookStringEncoding> encodingNamed(std::string_view name) {
  for (const auto& encoding : kEncodings) {
    if (encoding.name == name) return encoding.make();
  }
  return nullptr;
}

// Reads the arguments after the command's name; on a usage error, says so and returns nothing.
std::optional<Options> parseOptions(int argc, char** argv, const char* help) {
  Options options;
  options.encode = std::string_view(argv[0]) == "encode";
  for (int i = 1; i < argc; ++i) {
    const std::string_view argument = argv[i];
    if (isHelp(argument)) {
      options.help = true;
    } else if (argument == "--encoding" && i + 1 < argc) {
      options.encodingName = argv[++i];
    } else if (argument == "--no-pad" && options.encode) {
      options.pad = false;
    } else {
      std::cerr << "tadtool: unexpected argument '" << argument << "'\n\n" << help;
      return std::nullopt;
    }
  }
  if (!options.help && options.encodingName.empty()) {
    std::cerr << "tadtool: --encoding NAME is required\n\n" << help;
    return std::nullopt;
  }
  return options;
}

std::string readStandardInput() {
  return std::string(std::istreambuf_iterator<char>(std::cin), std::istreambuf_iterator<char>());
}

std::string_view withoutFinalLineEnd(std::string_view text) {
  if (text.ends_with('\n')) text.remove_suffix(1);
  if (text.ends_with('\r')) text.remove_suffix(1);
  return text;
}

int encode(const RookStringEncoding& encoding) {
  const std::string input = readStandardInput();
  std::cout << encoding.encodeString(input) << '\n';
  return kDone;
}

int decode(const RookStringEncoding& encoding, std::string_view name) {
  const std::string input = readStandardInput();
  const auto bytes = encoding.decode(withoutFinalLineEnd(input));
  if (!bytes) {
    std::cerr << "tadtool: decode: the input is not valid " << name << " text\n";
    return kRefused;
  }
  std::cout.write(reinterpret_cast<const char*>(bytes->data()),
                  static_cast<std::streamsize>(bytes->size()));
  return kDone;
}

}  // namespace

int runEncodingCommand(int argc, char** argv) {
  const bool encoding = std::string_view(argv[0]) == "encode";
  const char* help = encoding ? kEncodeHelp : kDecodeHelp;
  const auto options = parseOptions(argc, argv, help);
  if (!options) return kUsage;
  if (options->help) {
    std::cout << help;
    return kDone;
  }
  const auto named = encodingNamed(options->encodingName);
  if (!named) {
    std::cerr << "tadtool: unknown encoding '" << options->encodingName << "'\n\n" << help;
    return kUsage;
  }
  if (!encoding) return decode(*named, options->encodingName);
  named->setDoPad(options->pad);
  return encode(*named);
}
