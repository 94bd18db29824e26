#include "tad/tad-log.h"

#include <memory>

#include "tad/Log.h"

namespace {

// The C writer and its data, freed with the writer that holds them.
struct CWriter {
  CWriter(TadLogWriterFunc writer, gpointer userData, GDestroyNotify destroy)
      : writer(writer), userData(userData), destroy(destroy) {}
  CWriter(const CWriter&) = delete;
  CWriter& operator=(const CWriter&) = delete;
  ~CWriter() {
    if (destroy) destroy(userData);
  }
  TadLogWriterFunc writer;
  gpointer userData;
  GDestroyNotify destroy;
};

tad::LogRecord recordOf(GLogLevelFlags level, TadLogSource source, const char* text) {
  return {static_cast<tad::LogLevel>(level & G_LOG_LEVEL_MASK), static_cast<tad::LogSource>(source),
          text ? text : ""};
}

}  // namespace

void tad_set_log_writer(TadLogWriterFunc writer, gpointer user_data, GDestroyNotify destroy) {
  if (!writer) {
    if (destroy) destroy(user_data);
    tad::setLogWriter({});
    return;
  }
  auto held = std::make_shared<CWriter>(writer, user_data, destroy);
  tad::setLogWriter([held](const tad::LogRecord& record) {
    held->writer(static_cast<GLogLevelFlags>(record.level), static_cast<TadLogSource>(record.source),
                 record.text.c_str(), held->userData);
  });
}

void tad_log_to_glib(void) { tad::setLogWriter(tad::glibLogWriter); }

void tad_log_default(GLogLevelFlags level, TadLogSource source, const char* text) {
  tad::defaultLogWriter(recordOf(level, source, text));
}
