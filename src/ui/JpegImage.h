// JPEG pictures decoded with libjpeg (the program does not rely on Qt's image plug-ins).
#pragma once

#include <QByteArray>
#include <QImage>

namespace pzam::ui {

// Decodes a baseline or progressive JPEG (grey or colour) into an RGB image; a null image when
// the data is not a JPEG or is damaged.
QImage DecodeJpeg(const QByteArray& data);

// The program's logo (176 x 56), built into the program.
QImage LogoImage();

}  // namespace pzam::ui
