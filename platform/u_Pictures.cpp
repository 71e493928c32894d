#include "platform/u_Pictures.h"

#include <QBuffer>
#include <QImageReader>
#include <csetjmp>
#include <cstdio>
#include <jpeglib.h>
#include <vector>

namespace vv {

namespace {
const char* const SNoMetafileRenderer = "Cannot draw the metafile \"%s\": metafiles are not supported on this platform";

struct TJpegError {
  jpeg_error_mgr Manager;
  std::jmp_buf Jump;
  char Message[JMSG_LENGTH_MAX];
};

[[noreturn]] void JpegFail(j_common_ptr Info) {
  auto* Error = reinterpret_cast<TJpegError*>(Info->err);
  (*Info->err->format_message)(Info, Error->Message);
  std::longjmp(Error->Jump, 1);
}

// No object with a destructor is created after setjmp, so a jump back skips none.
QImage DecodeJpeg(const std::string& Bytes, const std::string& Name) {
  jpeg_decompress_struct Info{};
  TJpegError Error{};
  Info.err = jpeg_std_error(&Error.Manager);
  Error.Manager.error_exit = JpegFail;
  QImage Image;
  if (setjmp(Error.Jump)) {
    jpeg_destroy_decompress(&Info);
    RaiseUnreadablePicture(Name, Error.Message);
  }
  jpeg_create_decompress(&Info);
  jpeg_mem_src(&Info, reinterpret_cast<const unsigned char*>(Bytes.data()), static_cast<unsigned long>(Bytes.size()));
  jpeg_read_header(&Info, TRUE);
  Info.out_color_space = JCS_RGB;
  jpeg_start_decompress(&Info);
  Image = QImage(static_cast<int>(Info.output_width), static_cast<int>(Info.output_height), QImage::Format_RGB888);
  if (Image.isNull()) {
    jpeg_destroy_decompress(&Info);
    RaiseUnreadablePicture(Name, "picture too large");
  }
  while (Info.output_scanline < Info.output_height) {
    JSAMPROW Row = Image.scanLine(static_cast<int>(Info.output_scanline));
    jpeg_read_scanlines(&Info, &Row, 1);
  }
  jpeg_finish_decompress(&Info);
  jpeg_destroy_decompress(&Info);
  return Image;
}

QImage DecodeWithQt(const std::string& Bytes, const char* Type, const std::string& Name) {
  QByteArray Data = QByteArray::fromRawData(Bytes.data(), static_cast<qsizetype>(Bytes.size()));
  QBuffer Buffer(&Data);
  QImageReader Reader(&Buffer, Type);
  QImage Image = Reader.read();
  if (Image.isNull())
    RaiseUnreadablePicture(Name, Reader.errorString().toStdString());
  return Image;
}
} // namespace

QImage LoadPicture(TPictureKind Kind, const std::string& Bytes, const std::string& Name) {
  switch (Kind) {
  case TPictureKind::Bitmap: return DecodeWithQt(Bytes, "bmp", Name);
  case TPictureKind::Icon: return DecodeWithQt(Bytes, "ico", Name);
  case TPictureKind::Jpeg: return DecodeJpeg(Bytes, Name);
  case TPictureKind::Metafile: break;
  }
  throw EInvalidGraphic(Format(SNoMetafileRenderer, Name));
}

} // namespace vv
