// Cabinet writing with libgcab: GLib objects wrapped so that every path,
// including failures, releases them.
#include "platform/u_CabWriter.h"

#include <gio/gio.h>
#include <libgcab.h>

#include <memory>

namespace vv {

namespace {

template <typename T> struct TGObjectUnref {
  void operator()(T* P) const { g_object_unref(P); }
};
template <typename T> using TGObject = std::unique_ptr<T, TGObjectUnref<T>>;

struct TBytesUnref {
  void operator()(GBytes* P) const { g_bytes_unref(P); }
};
struct TDateTimeUnref {
  void operator()(GDateTime* P) const { g_date_time_unref(P); }
};

[[noreturn]] void Fail(const char* What, GError* Error) {
  const std::string Message =
      Format("Cannot write cabinet: %s: %s", What, Error ? Error->message : "unknown error");
  if (Error) g_error_free(Error);
  throw ECabWriterError(Message);
}

struct TProgressState {
  const TCabProgress* Progress;
  std::uint64_t Total;
};

void OnProgress(goffset Current, goffset /*Total*/, gpointer User) {
  auto* State = static_cast<TProgressState*>(User);
  if (*State->Progress) (*State->Progress)(static_cast<std::uint64_t>(Current), State->Total);
}

} // namespace

std::string WriteCabinet(const std::vector<TCabMember>& Members, TCabCompression Compression,
                         const TCabProgress& Progress) {
  GError* Error = nullptr;
  TGObject<GCabCabinet> Cabinet(gcab_cabinet_new());
  TGObject<GCabFolder> Folder(gcab_folder_new(
      Compression == TCabCompression::MSZIP ? GCAB_COMPRESSION_MSZIP : GCAB_COMPRESSION_NONE));
  std::uint64_t Total = 0;
  for (const TCabMember& M : Members) {
    // The bytes are only borrowed: Members outlives the writing.
    std::unique_ptr<GBytes, TBytesUnref> Bytes(g_bytes_new_static(M.Data.data(), M.Data.size()));
    TGObject<GCabFile> File(gcab_file_new_with_bytes(M.Name.c_str(), Bytes.get()));
    const std::uint32_t D = M.DosDateTime;
    std::unique_ptr<GDateTime, TDateTimeUnref> When(g_date_time_new_utc(
        static_cast<int>((D >> 25) + 1980), static_cast<int>((D >> 21) & 0x0F),
        static_cast<int>((D >> 16) & 0x1F), static_cast<int>((D >> 11) & 0x1F),
        static_cast<int>((D >> 5) & 0x3F), static_cast<double>((D & 0x1F) * 2)));
    if (!When)
      throw ECabWriterError(
          Format("Cannot write cabinet: member \"%s\" has an invalid date", M.Name));
    gcab_file_set_date_time(File.get(), When.get());
    gcab_file_set_attributes(File.get(), M.Attributes);
    if (!gcab_folder_add_file(Folder.get(), File.get(), FALSE, nullptr, &Error))
      Fail(M.Name.c_str(), Error);
    Total += M.Data.size();
  }
  if (!gcab_cabinet_add_folder(Cabinet.get(), Folder.get(), &Error)) Fail("folder", Error);

  TGObject<GOutputStream> Out(g_memory_output_stream_new_resizable());
  TProgressState State{&Progress, Total};
  if (!gcab_cabinet_write(Cabinet.get(), Out.get(), nullptr, OnProgress, &State, nullptr, &Error))
    Fail("archive", Error);
  if (!g_output_stream_close(Out.get(), nullptr, &Error)) Fail("archive", Error);
  auto* Memory = G_MEMORY_OUTPUT_STREAM(Out.get());
  const auto* Data = static_cast<const char*>(g_memory_output_stream_get_data(Memory));
  return std::string(Data, g_memory_output_stream_get_data_size(Memory));
}

} // namespace vv
