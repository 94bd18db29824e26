#include "bench/JsonDocuments.h"

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

namespace {

constexpr size_t kLargeSize = 1 << 20;

// A small deterministic generator (xorshift), so the documents are the same everywhere.
class Sequence {
 public:
  uint32_t next() {
    state_ ^= state_ << 13;
    state_ ^= state_ >> 7;
    state_ ^= state_ << 17;
    return static_cast<uint32_t>(state_ >> 11);
  }
  uint32_t below(uint32_t bound) { return next() % bound; }

 private:
  uint64_t state_ = 0x9E3779B97F4A7C15ULL;
};

void appendWord(Sequence& sequence, std::string& out) {
  static const char* const kWords[] = {"banner",      "quill",      "ad",       "request",
                                       "soundboard",  "clip",       "tracking", "refresh",
                                       "orientation", "landscape",  "unit",     "page",
                                       "script",      "impression", "click",    "network"};
  out += kWords[sequence.below(16)];
}

}  // namespace

std::string JsonDocuments::adRequest() {
  std::string out = "{";
  auto member = [&out](const char* key, const std::string& jsonValue) {
    if (out.size() > 1) out += ',';
    out += '"';
    out += key;
    out += "\":";
    out += jsonValue;
  };
  auto text = [](const std::string& value) { return "\"" + value + "\""; };
  member("slotname", text("a14e5f0c9d2b3a47"));
  member("u_audio", text("1"));
  member("u_so", text("p"));
  member("u_w", text("320"));
  member("u_h", text("480"));
  member("u_sd", text("2"));
  member("hl", text("en"));
  member("isu", text("5F2A8C0D1B3E4F6A7C8D9E0F1A2B3C4D"));
  member("d_m", text("iPhone"));
  member("d_sm", text("iPhone3,1"));
  member("app_name", text("4.1.1.iphone.com.quillbeck.soundboard"));
  member("msid", text("com.quillbeck.soundboard"));
  member("js", text("afma-sdk-i-v4.1.1"));
  member("sdkv", text("4.1.1"));
  member("os", text("ios"));
  member("osv", text("4.3.3"));
  member("net", text("wi"));
  member("uule",
         text("a+cm9sZToxIHByb2R1Y2VyOjEyIHByb3ZlbmFuY2U6NiB0aW1lc3RhbXA6MTMxMDAwMDAwMDAwMDAwMCBs"
              "YXRsbmd7bGF0aXR1ZGVfZTc6NDc2MDAwMDAwIGxvbmdpdHVkZV9lNzotMTIyMzMwMDAwfQ"));
  member("format", text("320x50_mb"));
  member("adtest", text("on"));
  member("kw", "[\"sound\",\"board\",\"clips\",\"voices\",\"fun\"]");
  member("preqs", "42");
  member("pcc", "3");
  member("pcbo", "1");
  member("pclb", "0");
  member("plpnc", "2");
  member("plpsnc", "1");
  member("prl", "1234");
  member("pcl", "876");
  member("ppcl", "120");
  member("pcrl", "356");
  member("plpl", "2100");
  member("plpd", "15230");
  member("ptime", "864000123");
  member("pai", text("CLICK-a3f9e20b7d14c6"));
  member("aoi_timedout", "false");
  member("aoi_nofill", "false");
  member("cap_bs", "3");
  member("cap_m", "1");
  member("cap_mm", "null");
  member("loc_acc", "65.5");
  member("lat", "47.6062095");
  member("lon", "-122.3320708");
  member("gender", "\"f\"");
  member("birthday", "\"1980-04-17\"");
  member("extras", "{\"channel\":\"music\",\"premium\":true,\"weights\":[0.25,0.5,1.75]}");
  member("itunes_metadata",
         "{\"itemId\":413523476,\"itemName\":\"Quillbeck Soundboard\",\"artistName\":\"Quillbeck "
         "Ltd\",\"genre\":\"Entertainment\",\"releaseDate\":\"2011-01-12T08:00:00Z\",\"price\":0,"
         "\"softwareVersionBundleId\":\"com.quillbeck.soundboard\",\"rating\":{\"label\":\"4+\","
         "\"rank\":100}}");
  member("user_agent", text("Mozilla/5.0 (iPhone; U; CPU iPhone OS 4_3_3 like Mac OS X; en-us) "
                            "AppleWebKit/533.17.9 (KHTML, like Gecko) Mobile/8J2"));
  member("ua_extra", text("Talvik Ad SDK \\/ build 2011.06 \\\"release\\\""));
  member("color_bg", text("FFFFFF"));
  member("color_border", text("336699"));
  member("color_link", text("0000FF"));
  member("color_text", text("000000"));
  member("color_url", text("008000"));
  member("ad_type", text("text_image"));
  member("url", text("http://www.quillbeck.example/soundboard/index.html?utm_source=app&utm_medium="
                     "banner&utm_campaign=summer"));
  member("ref", text("http://www.quillbeck.example/soundboard/"));
  member("timings", "{\"ltime\":[512,498,730,611],\"ctime\":[2210,1875],\"rtime\":[88,91,79]}");
  member("session", text("4d1c9a3e-7b2f-4e10-9a5c-2f8e6b1d0c37"));
  member("screen", "{\"w\":320,\"h\":480,\"scale\":2.0,\"orientation\":\"portrait\"}");
  member("install_age_days", "412");
  member("carrier", text("Quillnet Mobile"));
  member("tz", "-480");
  out += '}';
  return out;
}

std::string JsonDocuments::mixed() {
  Sequence sequence;
  std::string out = "[";
  for (uint32_t id = 0; out.size() < kLargeSize; ++id) {
    if (id > 0) out += ',';
    out += "{\"id\":" + std::to_string(id);
    out += ",\"name\":\"";
    appendWord(sequence, out);
    out += ' ';
    appendWord(sequence, out);
    out += "\",\"count\":" + std::to_string(sequence.next());
    out += ",\"ratio\":0." + std::to_string(sequence.below(1000000));
    out += ",\"offset\":-" + std::to_string(sequence.below(10000)) + "." +
           std::to_string(sequence.below(100)) + "e-" + std::to_string(sequence.below(20));
    out += ",\"active\":";
    out += sequence.below(2) ? "true" : "false";
    out += ",\"parent\":null,\"tags\":[";
    for (uint32_t i = sequence.below(5); i > 0; --i) {
      out += '"';
      appendWord(sequence, out);
      out += i > 1 ? "\"," : "\"";
    }
    out += "],\"size\":{\"w\":" + std::to_string(sequence.below(1024)) +
           ",\"h\":" + std::to_string(sequence.below(768)) + "}}";
  }
  out += ']';
  return out;
}

std::string JsonDocuments::stringHeavy() {
  static const char* const kPieces[] = {
      "The quick brown fox jumps over the lazy dog. ",
      "Line one\\nLine two\\tindented\\r\\n",
      "She said \\\"play the clip\\\" and left. ",
      "C:\\\\Sounds\\\\clip01.m4a ",
      "caf\xc3\xa9 na\xc3\xafve r\xc3\xa9sum\xc3\xa9 \xc3\xbc\xc3\xb6\xc3\xa4\xc3\x9f ",
      "\xd0\x9f\xd1\x80\xd0\xb8\xd0\xb2\xd0\xb5\xd1\x82 \xd0\xbc\xd0\xb8\xd1\x80 ",
      ("\xe6\x97\xa5\xe6\x9c\xac\xe8\xaa\x9e\xe3\x81\xae\xe3\x83\x86\xe3\x82\xad\xe3\x82\xb9"
       "\xe3\x83\x88 "),
      "\xf0\x9f\x8e\xb5\xf0\x9f\x94\x8a ",
      "\\u00e9\\u20ac\\ud83c\\udfb5 ",
      "path\\/to\\/page.html?x=1&y=2 ",
  };
  Sequence sequence;
  std::string out = "[";
  for (uint32_t i = 0; out.size() < kLargeSize; ++i) {
    if (i > 0) out += ',';
    out += '"';
    for (uint32_t pieces = 1 + sequence.below(6); pieces > 0; --pieces) {
      out += kPieces[sequence.below(10)];
    }
    out += '"';
  }
  out += ']';
  return out;
}

std::string JsonDocuments::manyKeys(bool colliding) {
  Sequence sequence;
  std::string out = "{";
  for (uint32_t found = 0, i = 0; found < 8192; ++i) {
    std::string key = "k" + std::to_string(colliding ? i : sequence.next());
    if (colliding && (std::hash<std::string_view>{}(key)&0xFFF) != 0) continue;
    if (found++ > 0) out += ',';
    out += '"' + key + "\":" + std::to_string(found);
  }
  out += '}';
  return out;
}
