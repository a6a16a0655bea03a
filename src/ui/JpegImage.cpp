#include "ui/JpegImage.h"

#include <QFile>
#include <csetjmp>
#include <cstdio>

#include <jpeglib.h>

// Resources of a static library are registered by hand; this must sit outside any namespace.
static void InitLogoResource() {
  Q_INIT_RESOURCE(pzam);
}

namespace pzam::ui {

namespace {

struct TJpegError {
  jpeg_error_mgr Manager;
  std::jmp_buf Jump;
};

[[noreturn]] void OnJpegError(j_common_ptr info) {
  auto* error = reinterpret_cast<TJpegError*>(info->err);
  std::longjmp(error->Jump, 1);
}

void QuietJpegMessage(j_common_ptr) {}

// Only plain locals live in the function that calls setjmp; the image lives in the caller, so
// the jump skips no destructor and leaves no object of this frame half changed.
bool DecodeInto(const QByteArray& data, QImage* out) {
  jpeg_decompress_struct info{};
  TJpegError error{};
  info.err = jpeg_std_error(&error.Manager);
  error.Manager.error_exit = OnJpegError;
  error.Manager.output_message = QuietJpegMessage;
  if (setjmp(error.Jump) != 0) {
    jpeg_destroy_decompress(&info);
    return false;
  }
  jpeg_create_decompress(&info);
  jpeg_mem_src(&info, reinterpret_cast<const unsigned char*>(data.constData()),
               static_cast<unsigned long>(data.size()));
  jpeg_read_header(&info, TRUE);
  info.out_color_space = JCS_RGB;
  jpeg_start_decompress(&info);
  *out = QImage(static_cast<int>(info.output_width), static_cast<int>(info.output_height),
                QImage::Format_RGB888);
  while (info.output_scanline < info.output_height) {
    JSAMPROW row = out->scanLine(static_cast<int>(info.output_scanline));
    jpeg_read_scanlines(&info, &row, 1);
  }
  jpeg_finish_decompress(&info);
  jpeg_destroy_decompress(&info);
  return true;
}

}  // namespace

QImage DecodeJpeg(const QByteArray& data) {
  if (data.isEmpty()) return QImage();
  QImage image;
  if (!DecodeInto(data, &image)) return QImage();
  return image;
}

QImage LogoImage() {
  InitLogoResource();
  QFile file(":/pzam/logo.jpg");
  if (!file.open(QIODevice::ReadOnly)) return QImage();
  return DecodeJpeg(file.readAll());
}

}  // namespace pzam::ui
