#pragma once
// Resizes decoded pixels (the About banner shown at a display scale other
// than 100 percent) smoothly: bilinear where the picture grows, a weighted
// average of the pixels around each new one where it shrinks.
#include "app/JpegImage.h"

namespace pennora {

// `image` at `width` x `height`, in the same pixel layout; every channel is
// resampled, so an opaque fourth byte stays opaque. Throws pennora::Error
// for an image without pixels or a size outside 1..kMaxJpegSide.
JpegImage ResizeImage(const JpegImage& image, int width, int height);

}  // namespace pennora
