#include "tests/platform/gtk/XTestInput.h"

#include <X11/extensions/XTest.h>
#include <gdk/gdkx.h>

namespace platform::gtk::testing {

namespace {

Display* displayOf(GtkWindow* window) {
  return GDK_WINDOW_XDISPLAY(gtk_widget_get_window(GTK_WIDGET(window)));
}

}  // namespace

void movePointer(GtkWindow* window, int x, int y) {
  GdkWindow* gdkWindow = gtk_widget_get_window(GTK_WIDGET(window));
  int originX = 0, originY = 0;
  gdk_window_get_origin(gdkWindow, &originX, &originY);
  Display* display = displayOf(window);
  XTestFakeMotionEvent(display, -1, originX + gdk_window_get_width(gdkWindow) + 10, originY, 0);
  XTestFakeMotionEvent(display, -1, originX + x, originY + y, 0);
  XFlush(display);
}

void click(GtkWindow* window, unsigned button) {
  Display* display = displayOf(window);
  XTestFakeButtonEvent(display, button, True, 0);
  XTestFakeButtonEvent(display, button, False, 0);
  XFlush(display);
}

void setButton(GtkWindow* window, unsigned button, bool down) {
  Display* display = displayOf(window);
  XTestFakeButtonEvent(display, button, down ? True : False, 0);
  XFlush(display);
}

void setKey(GtkWindow* window, guint keyval, bool down) {
  Display* display = displayOf(window);
  XTestFakeKeyEvent(display, XKeysymToKeycode(display, keyval), down ? True : False, 0);
  XFlush(display);
}

void pressControlWith(GtkWindow* window, guint keyval) {
  movePointer(window, 5, 5);
  Display* display = displayOf(window);
  KeyCode control = XKeysymToKeycode(display, XK_Control_L);
  KeyCode key = XKeysymToKeycode(display, keyval);  // GDK key values are X key symbols
  XTestFakeKeyEvent(display, control, True, 0);
  XTestFakeKeyEvent(display, key, True, 0);
  XTestFakeKeyEvent(display, key, False, 0);
  XTestFakeKeyEvent(display, control, False, 0);
  XFlush(display);
}

void pressKey(GtkWindow* window, guint keyval) {
  movePointer(window, 5, 5);
  Display* display = displayOf(window);
  KeyCode key = XKeysymToKeycode(display, keyval);
  XTestFakeKeyEvent(display, key, True, 0);
  XTestFakeKeyEvent(display, key, False, 0);
  XFlush(display);
}

}  // namespace platform::gtk::testing
