// The cabinet around the document, written with libgcab.
#include <memory>

#include "export/provisioning.h"

// After the platform's types: GLib defines TRUE and FALSE as macros.
#include <gio/gio.h>
#include <libgcab.h>

namespace provisioning {

namespace {

template <typename T>
using GObjectPtr = std::unique_ptr<T, decltype(&g_object_unref)>;

template <typename T>
GObjectPtr<T> Own(T* object) {
  return GObjectPtr<T>(object, &g_object_unref);
}

// The message of a GLib error, which is freed.
std::string Take(GError* error) {
  std::string text = error != nullptr ? error->message : "unknown error";
  g_clear_error(&error);
  return text;
}

}  // namespace

bool BuildCabinet(std::string_view document, std::time_t when, std::vector<BYTE>& cabinet,
                  std::string& error) {
  std::unique_ptr<GBytes, decltype(&g_bytes_unref)> bytes(
      g_bytes_new(document.data(), document.size()), &g_bytes_unref);
  auto file = Own(gcab_file_new_with_bytes(kDocumentName, bytes.get()));
  gcab_file_set_attributes(file.get(), GCAB_FILE_ATTRIBUTE_ARCH);
  std::unique_ptr<GDateTime, decltype(&g_date_time_unref)> date(
      g_date_time_new_from_unix_local(static_cast<gint64>(when)), &g_date_time_unref);
  if (date == nullptr) {
    error = "the date of the cabinet's file is out of range";
    return false;
  }
  gcab_file_set_date_time(file.get(), date.get());

  GError* gerror = nullptr;
  auto folder = Own(gcab_folder_new(GCAB_COMPRESSION_NONE));
  if (!gcab_folder_add_file(folder.get(), file.get(), FALSE, nullptr, &gerror)) {
    error = "cannot put " + std::string(kDocumentName) + " in the cabinet: " + Take(gerror);
    return false;
  }
  auto cab = Own(gcab_cabinet_new());
  if (!gcab_cabinet_add_folder(cab.get(), folder.get(), &gerror)) {
    error = "cannot build the cabinet: " + Take(gerror);
    return false;
  }
  auto out = Own(g_memory_output_stream_new_resizable());
  if (!gcab_cabinet_write_simple(cab.get(), out.get(), nullptr, nullptr, nullptr, &gerror) ||
      !g_output_stream_close(out.get(), nullptr, &gerror)) {
    error = "cannot write the cabinet: " + Take(gerror);
    return false;
  }
  auto* memory = G_MEMORY_OUTPUT_STREAM(out.get());
  const auto* data = static_cast<const BYTE*>(g_memory_output_stream_get_data(memory));
  cabinet.assign(data, data + g_memory_output_stream_get_data_size(memory));
  return true;
}

}  // namespace provisioning
