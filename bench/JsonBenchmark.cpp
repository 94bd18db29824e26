// Reading and writing JSON with our codec and three peer libraries, on the same documents,
// in one run. Throughput is counted in bytes of the document's text for reading and writing
// alike; the table printed at the end gives our throughput as a multiple of each peer's.

#include <benchmark/benchmark.h>
#include <json/json.h>
#include <rapidjson/document.h>
#include <rapidjson/stringbuffer.h>
#include <rapidjson/writer.h>
#include <simdjson.h>

#include <cstdio>
#include <map>
#include <memory>
#include <nlohmann/json.hpp>
#include <string>
#include <vector>

#include "bench/JsonDocuments.h"
#include "json/TAD_VeskJSON.h"

namespace {

struct Document {
  const char* name;
  std::string text;
};

const std::vector<Document>& documents() {
  static const std::vector<Document> all = {{"ad-request", JsonDocuments::adRequest()},
                                            {"mixed-1MB", JsonDocuments::mixed()},
                                            {"strings-1MB", JsonDocuments::stringHeavy()},
                                            {"keys-random", JsonDocuments::manyKeys(false)},
                                            {"keys-colliding", JsonDocuments::manyKeys(true)},
                                            {"coordinates-2MB", JsonDocuments::coordinates()},
                                            {"catalogue-2MB", JsonDocuments::catalogue()},
                                            {"posts", JsonDocuments::posts()},
                                            {"events", JsonDocuments::events()},
                                            {"polygons", JsonDocuments::polygons()}};
  return all;
}

void countBytes(benchmark::State& state, const std::string& text) {
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * text.size()));
}

// Reading

void readVesk(benchmark::State& state, const std::string& text) {
  for (auto _ : state) {
    std::optional<base::Value> value = TAD_VeskJSON().objectWithString(text);
    if (!value) state.SkipWithError("not read");
    benchmark::DoNotOptimize(value);
  }
  countBytes(state, text);
}

void readRapidJson(benchmark::State& state, const std::string& text) {
  for (auto _ : state) {
    rapidjson::Document document;
    document.Parse(text.c_str(), text.size());
    if (document.HasParseError()) state.SkipWithError("not read");
    benchmark::DoNotOptimize(document);
  }
  countBytes(state, text);
}

// RapidJSON checking UTF-8 as ours always does; for reference, not a target.
void readRapidJsonCheckingUtf8(benchmark::State& state, const std::string& text) {
  for (auto _ : state) {
    rapidjson::Document document;
    document.Parse<rapidjson::kParseValidateEncodingFlag>(text.c_str(), text.size());
    if (document.HasParseError()) state.SkipWithError("not read");
    benchmark::DoNotOptimize(document);
  }
  countBytes(state, text);
}

// simdjson's DOM with one parser kept across readings, as it is meant to be used: the reading
// ceiling on this machine, for reference, not a target.
void readSimdjson(benchmark::State& state, const std::string& text) {
  simdjson::dom::parser parser;
  simdjson::padded_string padded(text);
  for (auto _ : state) {
    simdjson::dom::element document;
    if (parser.parse(padded).get(document) != simdjson::SUCCESS) state.SkipWithError("not read");
    benchmark::DoNotOptimize(document);
  }
  countBytes(state, text);
}

void readNlohmann(benchmark::State& state, const std::string& text) {
  for (auto _ : state) {
    nlohmann::json document = nlohmann::json::parse(text, nullptr, false);
    if (document.is_discarded()) state.SkipWithError("not read");
    benchmark::DoNotOptimize(document);
  }
  countBytes(state, text);
}

std::unique_ptr<Json::CharReader> jsonCppReader() {
  Json::CharReaderBuilder builder;
  return std::unique_ptr<Json::CharReader>(builder.newCharReader());
}

void readJsonCpp(benchmark::State& state, const std::string& text) {
  std::unique_ptr<Json::CharReader> reader = jsonCppReader();
  for (auto _ : state) {
    Json::Value document;
    std::string errors;
    if (!reader->parse(text.data(), text.data() + text.size(), &document, &errors)) {
      state.SkipWithError("not read");
    }
    benchmark::DoNotOptimize(document);
  }
  countBytes(state, text);
}

// What any reader into base::Value must at least spend: making and freeing the same tree of
// values, by copying the read one. Its throughput over RapidJSON's bounds our reading ratio.
void copyValueTree(benchmark::State& state, const std::string& text) {
  base::Value document = TAD_VeskJSON().objectWithString(text).value();
  for (auto _ : state) {
    base::Value copy = document;
    benchmark::DoNotOptimize(copy);
  }
  countBytes(state, text);
}

// Writing: each library writes its own in-memory form of the document, made before timing.

void writeVesk(benchmark::State& state, const std::string& text) {
  base::Value document = TAD_VeskJSON().objectWithString(text).value();
  for (auto _ : state) {
    std::optional<std::string> written = TAD_VeskJSON().stringWithObject(document);
    benchmark::DoNotOptimize(written);
  }
  countBytes(state, text);
}

void writeRapidJson(benchmark::State& state, const std::string& text) {
  rapidjson::Document document;
  document.Parse(text.c_str(), text.size());
  for (auto _ : state) {
    rapidjson::StringBuffer buffer;
    rapidjson::Writer<rapidjson::StringBuffer> writer(buffer);
    document.Accept(writer);
    benchmark::DoNotOptimize(buffer.GetString());
  }
  countBytes(state, text);
}

void writeNlohmann(benchmark::State& state, const std::string& text) {
  nlohmann::json document = nlohmann::json::parse(text);
  for (auto _ : state) {
    std::string written = document.dump();
    benchmark::DoNotOptimize(written);
  }
  countBytes(state, text);
}

void writeJsonCpp(benchmark::State& state, const std::string& text) {
  Json::Value document;
  std::string errors;
  jsonCppReader()->parse(text.data(), text.data() + text.size(), &document, &errors);
  Json::StreamWriterBuilder builder;
  builder["indentation"] = "";
  builder["emitUTF8"] = true;
  for (auto _ : state) {
    std::string written = Json::writeString(builder, document);
    benchmark::DoNotOptimize(written);
  }
  countBytes(state, text);
}

using Operation = void (*)(benchmark::State&, const std::string&);

struct Library {
  const char* name;
  Operation read;
  Operation write;
};

const Library kLibraries[] = {{"vesk", readVesk, writeVesk},
                              {"rapidjson", readRapidJson, writeRapidJson},
                              {"rapidjson-utf8", readRapidJsonCheckingUtf8, nullptr},
                              {"simdjson", readSimdjson, nullptr},
                              {"nlohmann", readNlohmann, writeNlohmann},
                              {"jsoncpp", readJsonCpp, writeJsonCpp}};

// Prints the usual console lines, then our throughput over each peer's for every operation and
// document: "read/mixed-1MB  vs rapidjson 0.85  vs nlohmann 4.10 ...".
class RatioReporter : public benchmark::ConsoleReporter {
 public:
  void ReportRuns(const std::vector<Run>& runs) override {
    // With repetitions, the median stands for the benchmark; it is reported after the runs.
    for (const Run& run : runs) {
      if (run.run_type == Run::RT_Aggregate && run.aggregate_name != "median") continue;
      auto bytes = run.counters.find("bytes_per_second");
      if (bytes != run.counters.end()) throughput_[run.run_name.str()] = bytes->second;
    }
    benchmark::ConsoleReporter::ReportRuns(runs);
  }

  void Finalize() override {
    benchmark::ConsoleReporter::Finalize();
    std::printf("\nvesk throughput / peer throughput\n");
    for (const char* operation : {"read", "write"}) {
      for (const Document& document : documents()) {
        std::string prefix = std::string(operation) + "/" + document.name + "/";
        auto ours = throughput_.find(prefix + "vesk");
        if (ours == throughput_.end()) continue;
        std::printf("%-20s", (prefix.substr(0, prefix.size() - 1)).c_str());
        for (const Library& peer : kLibraries) {
          auto theirs = throughput_.find(prefix + peer.name);
          if (peer.read == readVesk || theirs == throughput_.end()) continue;
          std::printf("  vs %-14s %5.2f", peer.name, ours->second / theirs->second);
        }
        auto floor = throughput_.find(std::string("floor/") + document.name + "/copy-value-tree");
        auto rapid = throughput_.find(prefix + "rapidjson");
        if (std::string(operation) == "read" && floor != throughput_.end() &&
            rapid != throughput_.end()) {
          std::printf("  (floor: copying the value tree %5.2f)", floor->second / rapid->second);
        }
        std::printf("\n");
      }
    }
  }

 private:
  std::map<std::string, double> throughput_;
};

}  // namespace

int main(int argc, char** argv) {
  for (const char* operation : {"read", "write"}) {
    for (const Document& document : documents()) {
      for (const Library& library : kLibraries) {
        Operation run = std::string(operation) == "read" ? library.read : library.write;
        if (!run) continue;
        std::string name = std::string(operation) + "/" + document.name + "/" + library.name;
        benchmark::RegisterBenchmark(name.c_str(), run, document.text);
      }
    }
  }
  for (const Document& document : documents()) {
    std::string name = std::string("floor/") + document.name + "/copy-value-tree";
    benchmark::RegisterBenchmark(name.c_str(), copyValueTree, document.text);
  }
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  RatioReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  benchmark::Shutdown();
  return 0;
}
