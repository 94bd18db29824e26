#pragma once

#include <memory>
#include <optional>
#include <string>

#include "platform/Application.h"
#include "platform/Device.h"
#include "platform/core/Clock.h"
#include "platform/core/Console.h"
#include "platform/core/NotificationCenter.h"
#include "platform/core/RunLoop.h"
#include "platform/media/AudioPlayer.h"
#include "platform/media/AudioSession.h"
#include "platform/net/Reachability.h"
#include "platform/net/URLConnection.h"
#include "platform/storage/Bundle.h"
#include "platform/storage/PropertyListReading.h"
#include "platform/storage/UserDefaults.h"
#include "platform/ui/Screen.h"
#include "platform/ui/View.h"
#include "platform/ui/ViewBackend.h"

namespace platform {

// The services of one platform backend. A program (or a test fixture) builds them from the
// backend it chooses and installs them once; the library reaches them through the classes'
// shared accessors (RunLoop::main(), Application::shared(), …) and never names a backend.
struct Platform {
  std::shared_ptr<RunLoop> runLoop;
  std::shared_ptr<Clock> clock;
  std::shared_ptr<Console> console;
  std::shared_ptr<UserDefaults> userDefaults;
  std::shared_ptr<NotificationCenter> notificationCenter;
  std::shared_ptr<Application> application;
  std::shared_ptr<Device> device;
  std::shared_ptr<Screen> screen;
  std::shared_ptr<Bundle> mainBundle;
  std::shared_ptr<ViewBackend> views;
  // Optional: without it no sound can be played. A program that plays sounds adds it (and the
  // audio session) to the platform it has made, before it plays any.
  std::shared_ptr<AudioBackend> audio;
  // Optional: without it no host can be watched.
  std::shared_ptr<ReachabilityBackend> reachability;
  // Optional: without it the audio route cannot be asked.
  std::shared_ptr<AudioSession> audioSession;
  // Optional: without it only property lists written as JSON can be read.
  std::shared_ptr<PropertyListReading> propertyLists;
  // Optional: without it no URL can be loaded.
  std::shared_ptr<URLLoadingBackend> urlLoading;
  // Optional: the user's documents folder, where the platform has one.
  std::optional<std::string> documentsDirectory;
  // Optional: the folder for the application's caches, where the platform has one.
  std::optional<std::string> cachesDirectory;

  // The installed platform. Using the library with none installed is a programming error: it
  // says so as a critical in the log and aborts.
  static Platform& current();
  static bool isInstalled();
  // Installs platform (every member set but the optional ones). One platform serves the process
  // at a time: installing a second while one is installed would take the first's services away
  // from whoever made it (a second host, say), so it is a programming error that says so as a
  // critical in the log and aborts. A host checks isInstalled() first. nullptr uninstalls.
  static void install(std::shared_ptr<Platform> platform);
  // Uninstalls platform if it is the one installed.
  static void uninstall(const Platform& platform);
};

}  // namespace platform
