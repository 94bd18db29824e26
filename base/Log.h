#pragma once

#include <functional>
#include <string_view>

namespace base {

// The one place every line the library writes for people goes through: its notes for the
// program's developer, the console lines of the pages it shows, reports of the program's misuse
// and of broken invariants. A line is one line of text without its newline.
//
// It sits below every other layer so that all of them reach it; the layer on top (the public
// face) installs the writer its host chooses. Until one is installed, each line goes to stderr as
// it is, with a newline, at once: the plain form the library's lines have always had. Writers are
// installed at start-up or on the loop's thread, not while another thread writes.
class Log {
 public:
  enum class Level { Critical, Warning, Message, Info };
  // Whose words a line carries: the library's own, or an ad page's (a stranger's).
  enum class Source { Library, Page };
  using Writer = std::function<void(Level level, Source source, std::string_view text)>;

  // Hands the line to the installed writer. A line written while the writer runs on this thread
  // (a writer that calls back into the library) goes to stderr instead of recursing.
  static void write(Level level, Source source, std::string_view text);
  // Installs writer (an empty one restores the plain default) and returns the one it replaces.
  static Writer setWriter(Writer writer);
  // The plain form: text and a newline on stderr, in one write, flushed.
  static void writeToStandardError(std::string_view text);
};

}  // namespace base
