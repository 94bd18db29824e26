#include "platform/gtk/DesktopMailProgram.h"

#include <gio/gio.h>

#include <memory>

#include "platform/core/RunLoop.h"
#include "platform/glibsupport/GlibPtr.h"

namespace platform::gtk {

namespace {

constexpr const char* kProgram = "xdg-email";

base::Error mailError(int64_t code, std::string description) {
  return base::Error::withDescription(std::string(DesktopMailProgram::kErrorDomain), code,
                                      std::move(description));
}

void reportLater(std::function<void(const std::optional<base::Error>&)> done,
                 std::optional<base::Error> error) {
  RunLoop::main().post([done = std::move(done), error = std::move(error)] { done(error); });
}

// What the child watch keeps until the program ends.
struct RunningProgram {
  std::function<void(const std::optional<base::Error>&)> done;
};

void programEnded(GPid pid, gint status, gpointer data) {
  g_spawn_close_pid(pid);
  auto* running = static_cast<RunningProgram*>(data);
  glibsupport::GErrorPtr error;
  if (g_spawn_check_wait_status(status, error.out())) {
    running->done(std::nullopt);
    return;
  }
  running->done(mailError(2, std::string("the mail program failed: ") + error->message));
}

void forgetProgram(gpointer data) {
  std::unique_ptr<RunningProgram> running(static_cast<RunningProgram*>(data));
}

}  // namespace

bool DesktopMailProgram::exists() {
  glibsupport::GCharPtr path(g_find_program_in_path(kProgram));
  if (!path) return false;
  auto handler = glibsupport::adopt(g_app_info_get_default_for_uri_scheme("mailto"));
  return static_cast<bool>(handler);
}

base::Expected<std::vector<std::string>> DesktopMailProgram::commandLine(
    const MailMessage& message) {
  std::vector<std::string> arguments{kProgram, "--utf8"};
  bool refused = false;
  auto addRecipients = [&](const char* option, const std::vector<std::string>& recipients) {
    for (const std::string& recipient : recipients) {
      if (recipient.empty()) continue;
      if (recipient.front() == '-') refused = true;
      if (option) arguments.emplace_back(option);
      arguments.push_back(recipient);
    }
  };
  addRecipients("--cc", message.ccRecipients);
  addRecipients("--bcc", message.bccRecipients);
  if (!message.subject.empty()) {
    arguments.emplace_back("--subject");
    arguments.push_back(message.subject);
  }
  if (!message.body.empty()) {
    arguments.emplace_back("--body");
    arguments.push_back(message.body);
  }
  addRecipients(nullptr, message.toRecipients);
  if (refused) return mailError(1, "an address cannot begin with \"-\"");
  return arguments;
}

void DesktopMailProgram::send(const MailMessage& message,
                              std::function<void(const std::optional<base::Error>&)> done) {
  base::Expected<std::vector<std::string>> arguments = commandLine(message);
  if (!arguments) {
    reportLater(std::move(done), arguments.error());
    return;
  }
  std::vector<char*> argv;
  for (std::string& argument : *arguments)
    argv.push_back(argument.data());
  argv.push_back(nullptr);

  GPid pid = 0;
  glibsupport::GErrorPtr error;
  auto flags = static_cast<GSpawnFlags>(G_SPAWN_SEARCH_PATH | G_SPAWN_DO_NOT_REAP_CHILD);
  if (!g_spawn_async(nullptr, argv.data(), nullptr, flags, nullptr, nullptr, &pid, error.out())) {
    reportLater(std::move(done),
                mailError(3, std::string("the mail program did not start: ") + error->message));
    return;
  }
  g_child_watch_add_full(G_PRIORITY_DEFAULT, pid, programEnded, new RunningProgram{std::move(done)},
                         forgetProgram);
}

}  // namespace platform::gtk
