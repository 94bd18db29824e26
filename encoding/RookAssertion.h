#pragma once

// Reporting of contract violations and broken invariants in the support libraries.
//
// A violation is reported once through the current handler and the offending request is then
// ignored, so a program that links the library is never stopped by it. The default handler writes
// "<Talvik> Assertion failed: <message>" as one warning line to the log (base::Log), which is
// stderr unless the host routes it. Tests install their own handler to observe the reports.
// Handlers are installed at start-up or by tests, not concurrently with reports.

#include <functional>
#include <string_view>

using RookAssertionHandler = std::function<void(std::string_view message)>;

// Installs handler (an empty one restores the default) and returns the handler it replaces.
RookAssertionHandler RookSetAssertionHandler(RookAssertionHandler handler);

// Reports message through the current handler.
void RookReportAssertionFailure(std::string_view message);
