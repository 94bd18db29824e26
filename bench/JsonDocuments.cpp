#include "bench/JsonDocuments.h"

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

namespace {

constexpr size_t kLargeSize = 1 << 20;
constexpr size_t kShapeSize = 2 << 20;

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

// A decimal of 15 to 17 significant digits, its point anywhere from after the first digit to
// after the fourth, sometimes negative: "-122.33207080000215", "47.606209512345678".
void appendLongDecimal(Sequence& sequence, std::string& out) {
  if (sequence.below(2)) out += '-';
  uint32_t digits = 15 + sequence.below(3);
  uint32_t point = 1 + sequence.below(4);
  out += static_cast<char>('1' + sequence.below(9));
  for (uint32_t i = 1; i < digits; ++i) {
    if (i == point) out += '.';
    out += static_cast<char>('0' + sequence.below(10));
  }
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
  // The library's own keys first, then made-up ones of the kind an application adds.
  member("qb_slot", text("a14e5f0c9d2b3a47"));
  member("u_audio", text("1"));
  member("u_so", text("p"));
  member("u_w", text("320"));
  member("u_h", text("480"));
  member("u_sd", text("2"));
  member("hl", text("en"));
  member("isu", text("5F2A8C0D1B3E4F6A7C8D9E0F1A2B3C4D"));
  member("platform", text("Linux desktop"));
  member("submodel", text("x86_64"));
  member("app_name", text("4.1.1.iphone.org.quillbeck.Soundboard"));
  member("qb_bundle", text("org.quillbeck.Soundboard"));
  member("js", text("avmo-sdk-i-v4.1.1"));
  member("qb_build", text("4.1.1"));
  member("ios_jb", "false");
  member("qb_system", text("6.1.0"));
  member("net", text("wi"));
  member("uule",
         text("a+cm9sZTogNiBwcm9kdWNlcjogMjQgaGlzdG9yaWNhbF9yb2xlOiAxIGhpc3RvcmljYWxfcHJvZHVj"
              "ZXI6IDEyIHRpbWVzdGFtcDogMjUwMDAwMCBsb2M6ICJPc2xvIg"));
  member("qb_size", text("320x50"));
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
  member("ios_ipadc", "1");
  member("testing", "null");
  member("qb_accuracy", "65.5");
  member("qb_lat", "47.6062095");
  member("qb_lon", "-122.3320708");
  member("cust_gender", "\"f\"");
  member("cust_age", "\"19800417\"");
  member("extras", "{\"channel\":\"music\",\"premium\":true,\"weights\":[0.25,0.5,1.75]}");
  member("ios_metadata",
         "{\"shelfId\":413523476,\"shelfName\":\"Quillbeck Soundboard\",\"maker\":\"Quillbeck "
         "Workshop\",\"kind\":\"Entertainment\",\"listed\":\"2011-01-12T08:00:00Z\",\"price\":0,"
         "\"bundle\":\"org.quillbeck.Soundboard\",\"audience\":{\"label\":\"all ages\","
         "\"rank\":100}}");
  member("qb_agent", text("QuillbeckShell/1.0 (Linux desktop; x86_64; en) PageView/2.40.1 "
                          "(made-up engine) Soundboard/4.1.1 sim"));
  member("qb_note", text("Quillbeck soundboard \\/ build 2011.06 \\\"release\\\""));
  member("qb_bg", text("FFFFFF"));
  member("qb_border", text("336699"));
  member("qb_link", text("0000FF"));
  member("qb_text", text("000000"));
  member("qb_url_color", text("008000"));
  member("qb_kind", text("text_image"));
  member("qb_page", text("http://www.quillbeck.example/soundboard/index.html?from=app&place="
                         "banner&season=summer"));
  member("qb_ref", text("http://www.quillbeck.example/soundboard/"));
  member("qb_timings", "{\"ltime\":[512,498,730,611],\"ctime\":[2210,1875],\"rtime\":[88,91,79]}");
  member("session_id", "3041275519");
  member("qb_screen", "{\"w\":320,\"h\":480,\"scale\":2.0,\"orientation\":\"portrait\"}");
  member("qb_age_days", "412");
  member("qb_carrier", text("Quillnet Mobile"));
  member("qb_tz", "-480");
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

std::string JsonDocuments::coordinates() {
  Sequence sequence;
  std::string out = "[";
  for (uint32_t track = 0; out.size() < kShapeSize; ++track) {
    if (track > 0) out += ',';
    out += '[';
    bool withHeight = sequence.below(3) == 0;
    for (uint32_t point = 0, points = 4 + sequence.below(60); point < points; ++point) {
      if (point > 0) out += ',';
      out += '[';
      appendLongDecimal(sequence, out);
      out += ',';
      appendLongDecimal(sequence, out);
      if (withHeight) {
        out += ',';
        appendLongDecimal(sequence, out);
      }
      out += ']';
    }
    out += ']';
  }
  out += ']';
  return out;
}

std::string JsonDocuments::catalogue() {
  static const char* const kShelves[] = {"A1", "A2", "B4", "C3", "D7", "E2"};
  Sequence sequence;
  std::string out = "{";
  for (uint32_t item = 0; out.size() < kShapeSize; ++item) {
    if (item > 0) out += ',';
    out += "\"item-" + std::to_string(100000 + item) + "\":{\"id\":" + std::to_string(item);
    out += ",\"title\":\"";
    appendWord(sequence, out);
    out += ' ';
    appendWord(sequence, out);
    out += "\",\"maker\":\"";
    appendWord(sequence, out);
    out += " works\",\"price\":" + std::to_string(99 + sequence.below(99900));
    out += ",\"stock\":" + std::to_string(sequence.below(4) ? sequence.below(500) : 0);
    out += ",\"weight\":" + std::to_string(5 + sequence.below(20000));
    out += ",\"rating\":";
    out += sequence.below(3) ? std::to_string(sequence.below(6)) : "null";
    out += ",\"reviews\":" + std::to_string(sequence.below(10000));
    out += ",\"shelf\":\"";
    out += kShelves[sequence.below(6)];
    out += "\",\"listed\":" + std::to_string(1700000000 + sequence.below(50000000));
    out += ",\"replaced_by\":";
    out += sequence.below(8) ? "null" : std::to_string(sequence.below(item + 1));
    out += ",\"colour\":";
    out += sequence.below(2) ? "null" : "\"blue\"";
    out += ",\"discontinued\":";
    out += sequence.below(10) ? "false" : "true";
    out += ",\"note\":null}";
  }
  out += '}';
  return out;
}

namespace {

// Text in several scripts, as posts are written: words of Cyrillic, Greek, Japanese and Hangul,
// some Latin, and now and then an emoji.
void appendPostText(Sequence& sequence, std::string& out, uint32_t words) {
  static const char* const kRaw[] = {
      "звук",  "ήχος", "音楽", "소리", "quill", "clip", "ボタン", "песня", "\xF0\x9F\x8E\xB5",
      "banner"};
  for (uint32_t i = 0; i < words; ++i) {
    if (i > 0) out += ' ';
    out += kRaw[sequence.below(10)];
  }
}

}  // namespace

std::string JsonDocuments::posts() {
  Sequence sequence;
  std::string out = "{\"posts\":[";
  for (uint32_t post = 0; out.size() < (600 << 10); ++post) {
    if (post > 0) out += ',';
    uint32_t user = sequence.below(5000);
    out += "{\"id\":" + std::to_string(1000000000 + post * 7919ULL) + ",\"created\":\"2026-0" +
           std::to_string(1 + sequence.below(9)) + "-1" + std::to_string(sequence.below(10)) +
           "T10:2" + std::to_string(sequence.below(10)) + ":00Z\",\"text\":\"";
    appendPostText(sequence, out, 6 + sequence.below(20));
    out += "\",\"user\":{\"id\":" + std::to_string(user) + ",\"name\":\"";
    appendPostText(sequence, out, 2);
    out += "\",\"handle\":\"user" + std::to_string(user) +
           "\",\"followers\":" + std::to_string(sequence.below(100000)) + ",\"verified\":";
    out += sequence.below(10) ? "false" : "true";
    out += ",\"location\":";
    if (sequence.below(2)) {
      out += "null";
    } else {
      out += '"';
      appendPostText(sequence, out, 1);
      out += '"';
    }
    out += ",\"description\":\"";
    appendPostText(sequence, out, 3 + sequence.below(8));
    out += "\"},\"parts\":{\"tags\":[";
    for (uint32_t i = 0, n = sequence.below(4); i < n; ++i) {
      if (i > 0) out += ',';
      out += "{\"text\":\"";
      appendPostText(sequence, out, 1);
      out += "\",\"span\":[" + std::to_string(i * 9) + ',' + std::to_string(i * 9 + 6) + "]}";
    }
    out += "],\"mentions\":[";
    for (uint32_t i = 0, n = sequence.below(3); i < n; ++i) {
      if (i > 0) out += ',';
      out += "{\"handle\":\"user" + std::to_string(sequence.below(5000)) +
             "\",\"id\":" + std::to_string(sequence.below(5000)) + '}';
    }
    out += "],\"links\":[";
    if (sequence.below(3) == 0) {
      out += "{\"url\":\"https:\\/\\/clips.example\\/" + std::to_string(post) +
             "\",\"shown\":\"clips.example\"}";
    }
    out += "]},\"shares\":" + std::to_string(sequence.below(500)) +
           ",\"likes\":" + std::to_string(sequence.below(2000)) +
           ",\"reply_to\":" + (sequence.below(3) ? std::string("null") : std::to_string(post / 2)) +
           ",\"language\":\"" + (sequence.below(2) ? "ru" : "ja") + "\"}";
  }
  out += "]}";
  return out;
}

std::string JsonDocuments::events() {
  Sequence sequence;
  std::string out = "{\"names\":{";
  for (uint32_t i = 0; i < 400; ++i) {
    if (i > 0) out += ',';
    out += "\"" + std::to_string(51000000 + i) + "\":\"";
    appendWord(sequence, out);
    out += ' ';
    appendWord(sequence, out);
    out += '"';
  }
  out += "},\"events\":{";
  for (uint32_t event = 0; out.size() < (1536 << 10); ++event) {
    if (event > 0) out += ',';
    uint32_t id = 40100000 + event * 17;
    out += "\"" + std::to_string(id) + "\":{\"id\":" + std::to_string(id) +
           ",\"name\":" + (sequence.below(4) ? "null" : "\"event\"") +
           ",\"description\":null,\"tagline\":null,\"poster\":" +
           (sequence.below(3) ? "null" : "\"/posters/" + std::to_string(id) + ".jpg\"") +
           ",\"genre\":null,\"groupIds\":[";
    for (uint32_t i = 0, n = 1 + sequence.below(6); i < n; ++i) {
      if (i > 0) out += ',';
      out += std::to_string(51000000 + sequence.below(200));
    }
    out += "],\"shelfIds\":[";
    for (uint32_t i = 0, n = sequence.below(4); i < n; ++i) {
      if (i > 0) out += ',';
      out += std::to_string(62000000 + sequence.below(400));
    }
    out += "],\"showings\":[";
    for (uint32_t i = 0, n = 1 + sequence.below(3); i < n; ++i) {
      if (i > 0) out += ',';
      out += "{\"id\":" + std::to_string(73000000 + sequence.below(1000000)) +
             ",\"start\":" + std::to_string(1790000000000ULL + sequence.below(100000) * 1000ULL) +
             ",\"rows\":[" + std::to_string(sequence.below(50)) + ',' +
             std::to_string(sequence.below(50)) + "],\"hall\":null,\"poster\":null}";
    }
    out += "]}";
  }
  out += "}}";
  return out;
}

std::string JsonDocuments::polygons() {
  Sequence sequence;
  std::string out = "{\"type\":\"collection\",\"rings\":[";
  for (uint32_t ring = 0; out.size() < (1536 << 10); ++ring) {
    if (ring > 0) out += ',';
    out += '[';
    for (uint32_t point = 0, points = 20 + sequence.below(2000); point < points; ++point) {
      if (point > 0) out += ',';
      // Degrees with 4 to 12 decimals: "-51.2849301", "47.60311582".
      out += '[';
      for (int axis = 0; axis < 2; ++axis) {
        if (axis > 0) out += ',';
        if (axis == 0) out += '-';
        out += std::to_string(40 + sequence.below(40)) + '.';
        for (uint32_t d = 0, digits = 4 + sequence.below(9); d < digits; ++d)
          out += static_cast<char>('0' + sequence.below(10));
      }
      out += ']';
    }
    out += ']';
  }
  out += "]}";
  return out;
}
