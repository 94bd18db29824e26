/* c-banner --ad-network URL [--screenshot FILE]: a window with a line of text and a banner along
 * its bottom edge; --screenshot saves it once an ad is painted (exit 1: none in 30 s). Built as
 *   cc main.c $(pkg-config --cflags --libs tad) -o c-banner */
#include <gtk/gtk.h>
#include <tad/tad-gobject.h>

static int status = 0;

static void painted(GObject* banner, GAsyncResult* result, gpointer screenshot) {
  GError* error = NULL;
  if (!tad_banner_wait_for_ad_painted_finish(TAD_BANNER(banner), result, &error) ||
      !tad_banner_save_window_screenshot(TAD_BANNER(banner), screenshot, &error)) {
    g_printerr("c-banner: %s\n", error->message);
    g_error_free(error);
    status = 1;
  }
  gtk_widget_destroy(gtk_widget_get_toplevel(GTK_WIDGET(banner)));
}

int main(int argc, char** argv) {
  const char *network = NULL, *screenshot = NULL;
  for (int i = 1; i + 1 < argc; ++i) {
    if (g_str_equal(argv[i], "--ad-network")) network = argv[i + 1];
    if (g_str_equal(argv[i], "--screenshot")) screenshot = argv[i + 1];
  }
  gtk_init(&argc, &argv);
  GError* error = NULL;
  TadHost* host = tad_host_new(NULL, "org.example.CBanner", "C Banner", NULL, &error);
  if (!host || !network || !tad_host_set_ad_network(host, network, &error)) {
    g_printerr("usage: c-banner --ad-network URL [--screenshot FILE]\n%s\n",
               error ? error->message : "");
    return 2;
  }
  GtkWidget* window = gtk_window_new(GTK_WINDOW_TOPLEVEL);
  GtkWidget* column = gtk_box_new(GTK_ORIENTATION_VERTICAL, 0);
  gtk_box_pack_start(GTK_BOX(column), gtk_label_new("A line of text."), TRUE, TRUE, 12);
  GtkWidget* banner = tad_banner_new("e40b9d2c7a1f356");
  gtk_box_pack_end(GTK_BOX(column), banner, FALSE, FALSE, 0);
  gtk_container_add(GTK_CONTAINER(window), column);
  g_signal_connect(window, "destroy", G_CALLBACK(gtk_main_quit), NULL);
  gtk_widget_show_all(window);
  tad_banner_load_request(TAD_BANNER(banner), NULL);
  if (screenshot)
    tad_banner_wait_for_ad_painted(TAD_BANNER(banner), 30, painted, (gpointer)screenshot);
  gtk_main();
  g_object_unref(host); /* the window, and the banner in it, went first */
  return status;
}
