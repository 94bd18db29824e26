// gtk-banner --ad-network URL [--screenshot FILE] [--close-window-first]: a window with a line of
// text and a banner along its bottom edge; --screenshot saves it once an ad is painted (exit 1:
// none in 30 s), then closes the window before the banner goes, as a user closing it would.
#include <gtk/gtk.h>
#include <tad/tad.h>

#include <cstdio>
#include <string>

int main(int argc, char** argv) {
  auto option = [&](std::string name) {
    for (int i = 1; i + 1 < argc; ++i)
      if (name == argv[i]) return std::string(argv[i + 1]);
    return std::string();
  };
  std::string network = option("--ad-network"), screenshot = option("--screenshot"), error;
  bool closeWindowFirst = std::string(argv[argc - 1]) == "--close-window-first";
  gtk_init(&argc, &argv);
  auto host = tad::Host::create({"org.example.GtkBanner", "GTK Banner"}, nullptr, &error);
  if (!host || !host->setAdNetwork(network)) {
    std::fprintf(stderr,
                 "usage: gtk-banner --ad-network URL [--screenshot FILE] "
                 "[--close-window-first]\n%s",
                 error.data());
    return 2;
  }
  GtkWidget* window = gtk_window_new(GTK_WINDOW_TOPLEVEL);
  GtkWidget* column = gtk_box_new(GTK_ORIENTATION_VERTICAL, 0);
  gtk_box_pack_start(GTK_BOX(column), gtk_label_new("A line of text."), TRUE, TRUE, 12);
  tad::Banner banner("e40b9d2c7a1f356");
  gtk_box_pack_end(GTK_BOX(column), banner.widget(), FALSE, FALSE, 0);
  gtk_container_add(GTK_CONTAINER(window), column);
  g_signal_connect(window, "destroy", G_CALLBACK(gtk_main_quit), nullptr);
  gtk_widget_show_all(window);
  banner.loadRequest(tad::Request());
  int status = 0;
  if (!screenshot.empty())
    banner.whenAdPainted(30, [&](bool painted) {
      status = painted && banner.saveWindowScreenshot(screenshot) ? 0 : 1;
      closeWindowFirst ? gtk_widget_destroy(window) : gtk_main_quit();
    });
  gtk_main();
  return status;
}
