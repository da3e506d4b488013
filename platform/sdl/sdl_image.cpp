// Images at the display's depth and image targets on SDL surfaces, with the contract of the
// GDI bitmap, memory device context and BitBlt calls. Needs SDL only; works without video.
#include <algorithm>
#include <cstring>
#include <new>

#include "platform/draw.h"
#include "platform/sdl/sdl_image.h"
#include "platform/sdl/sdl_resources.h"

namespace {

SDL_Surface* NewSurface(int32_t width, int32_t height) {
  return SDL_CreateRGBSurfaceWithFormat(0, width, height, 32, SDL_PIXELFORMAT_XRGB8888);
}

// Whether a blit from from to to, without blending, is a copy of the rows' bytes: the same
// 32-bit layout, and no colour key or modulation that would change a pixel on its way.
bool CopiesBytes(SDL_Surface* from, SDL_Surface* to) {
  Uint8 red = 0, green = 0, blue = 0, alpha = 0;
  SDL_GetSurfaceColorMod(from, &red, &green, &blue);
  SDL_GetSurfaceAlphaMod(from, &alpha);
  return from->format->format == to->format->format && from->format->BytesPerPixel == 4 &&
         !SDL_HasColorKey(from) && red == 255 && green == 255 && blue == 255 && alpha == 255 &&
         !SDL_MUSTLOCK(from) && !SDL_MUSTLOCK(to);
}

// [from, to) narrowed to [low, high).
void Narrow(int64_t* from, int64_t* to, int64_t low, int64_t high) {
  *from = std::max(*from, low);
  *to = std::min(*to, high);
}

}  // namespace

BlitObserver blitObserver = nullptr;

ImageHandle ImageFromSurface(SDL_Surface* surface, int32_t bitsPerPixel) {
  if (surface == nullptr) return nullptr;
  OwnedSurface converted(SDL_ConvertSurfaceFormat(surface, SDL_PIXELFORMAT_XRGB8888, 0));
  SDL_FreeSurface(surface);
  if (!converted) return nullptr;
  PlatformImage* image = new (std::nothrow) PlatformImage;
  if (image == nullptr) return nullptr;
  image->surface = std::move(converted);
  image->bitsPerPixel = bitsPerPixel;
  return image;
}

ImageHandle CreateImage(int32_t width, int32_t height, int32_t bitsPerPixel,
                        const void* initialBits) {
  // Beyond the shared image limits creation fails as for want of memory.
  if (width <= 0 || height <= 0 || width > kMaxImageSide || height > kMaxImageSide) {
    return nullptr;
  }
  if (int64_t{width} * height > kMaxImagePixels) return nullptr;
  if (bitsPerPixel < 1 || bitsPerPixel > 32) return nullptr;
  OwnedSurface surface(NewSurface(width, height));
  if (!surface) return nullptr;
  // Initial bits are taken as they come only where they are laid out as the surface is
  // (32 bits, rows of width * 4 bytes). Other depths' bits are device-specific rows that no
  // caller shows; such images start black.
  if (initialBits != nullptr && bitsPerPixel == 32) {
    const auto* source = static_cast<const uint8_t*>(initialBits);
    const size_t rowBytes = static_cast<size_t>(width) * 4;
    for (int32_t y = 0; y < height; ++y) {
      std::memcpy(static_cast<uint8_t*>(surface->pixels) + static_cast<size_t>(y) * surface->pitch,
                  source + static_cast<size_t>(y) * rowBytes, rowBytes);
    }
  }
  PlatformImage* image = new (std::nothrow) PlatformImage;
  if (image == nullptr) return nullptr;
  image->surface = std::move(surface);
  image->bitsPerPixel = bitsPerPixel;
  return image;
}

void DeleteImage(ImageHandle image) {
  if (image == nullptr) return;
  // GDI refuses to delete a selected bitmap and leaks it; here the target lets go instead.
  if (image->selectedIn != nullptr) {
    image->selectedIn->selectedImage = nullptr;
    image->selectedIn->surface = nullptr;
  }
  delete image;
}

ImageHandle LoadImageResource(int resourceId) {
  const EmbeddedResource bytes = FindEmbeddedResource(ResourceKind::Bitmap, resourceId);
  if (bytes.data == nullptr) return nullptr;
  SDL_RWops* stream = SDL_RWFromConstMem(bytes.data, static_cast<int>(bytes.size));
  if (stream == nullptr) return nullptr;
  // Pictures from resources are kept at 32 bits; the drawing part does not know the display.
  return ImageFromSurface(SDL_LoadBMP_RW(stream, 1), 32);
}

DrawTarget* CreateImageTarget(DrawTarget* compatibleWith) {
  DrawTarget* target = new (std::nothrow) DrawTarget{};
  if (target == nullptr) return nullptr;
  target->surface = nullptr;
  target->isImageTarget = true;
  target->bitsPerPixel = compatibleWith != nullptr ? TargetBitsPerPixel(compatibleWith) : 32;
  return target;
}

void DeleteImageTarget(DrawTarget* target) {
  if (target == nullptr || !target->isImageTarget) return;
  delete target;  // the destructor lets go of the selected image and font
}

ImageHandle SelectImage(DrawTarget* target, ImageHandle image) {
  if (target == nullptr || !target->isImageTarget) return nullptr;
  // A bitmap is selected into one device context at a time.
  if (image != nullptr && image->selectedIn != nullptr && image->selectedIn != target) {
    return nullptr;
  }
  ImageHandle previous = target->selectedImage;
  if (previous != nullptr) previous->selectedIn = nullptr;
  target->selectedImage = image;
  target->surface = image != nullptr ? image->surface.get() : nullptr;
  if (image != nullptr) image->selectedIn = target;
  return previous;
}

int BlitImage(DrawTarget* target, int32_t x, int32_t y, int32_t width, int32_t height,
              DrawTarget* source, int32_t xSrc, int32_t ySrc) {
  if (blitObserver != nullptr) blitObserver(target, x, y, width, height);
  if (target == nullptr || source == nullptr) return 0;
  SDL_Surface* to = target->surface;
  SDL_Surface* from = source->surface;
  if (to == nullptr || from == nullptr) return 0;
  if (width <= 0 || height <= 0) return 1;

  // Work in source coordinates: the copied area, clipped to the source surface and, shifted
  // by the offset, to the target's clip rectangle.
  int64_t left = xSrc, right = int64_t{xSrc} + width;
  int64_t top = ySrc, bottom = int64_t{ySrc} + height;
  Narrow(&left, &right, 0, from->w);
  Narrow(&top, &bottom, 0, from->h);
  const int64_t shiftX = int64_t{x} - xSrc;
  const int64_t shiftY = int64_t{y} - ySrc;
  const SDL_Rect& clip = to->clip_rect;
  Narrow(&left, &right, clip.x - shiftX, int64_t{clip.x} + clip.w - shiftX);
  Narrow(&top, &bottom, clip.y - shiftY, int64_t{clip.y} + clip.h - shiftY);
  if (left >= right || top >= bottom) return 1;

  SDL_Rect sourceRect{static_cast<int>(left), static_cast<int>(top), static_cast<int>(right - left),
                      static_cast<int>(bottom - top)};
  SDL_Rect destRect{static_cast<int>(left + shiftX), static_cast<int>(top + shiftY), sourceRect.w,
                    sourceRect.h};
  // A plain copy, whatever blending the source surface was made with.
  SDL_BlendMode mode = SDL_BLENDMODE_NONE;
  SDL_GetSurfaceBlendMode(from, &mode);
  SDL_SetSurfaceBlendMode(from, SDL_BLENDMODE_NONE);
  int result = 0;
  if (from == to) {
    // A copy within one surface may overlap: go through a copy of the area first.
    OwnedSurface staged(NewSurface(sourceRect.w, sourceRect.h));
    SDL_Rect whole{0, 0, sourceRect.w, sourceRect.h};
    result = staged ? SDL_LowerBlit(from, &sourceRect, staged.get(), &whole) : -1;
    SDL_Rect stagedRect = whole;
    if (result == 0) result = SDL_LowerBlit(staged.get(), &stagedRect, to, &destRect);
  } else if (CopiesBytes(from, to)) {
    // What SDL's copying blit does, row by row, without its stores that bypass the cache: a
    // window's worth of pixels is copied at the speed of memory already cached.
    const size_t rowBytes = static_cast<size_t>(sourceRect.w) * 4;
    for (int row = 0; row < sourceRect.h; ++row) {
      std::memcpy(static_cast<uint8_t*>(to->pixels) +
                      static_cast<size_t>(destRect.y + row) * to->pitch + destRect.x * 4,
                  static_cast<const uint8_t*>(from->pixels) +
                      static_cast<size_t>(sourceRect.y + row) * from->pitch + sourceRect.x * 4,
                  rowBytes);
    }
  } else {
    result = SDL_LowerBlit(from, &sourceRect, to, &destRect);
  }
  SDL_SetSurfaceBlendMode(from, mode);
  return result == 0 ? 1 : 0;
}

void LimitDrawing(DrawTarget* target, const Rect* rect) {
  if (target == nullptr || target->surface == nullptr) return;
  // The surface's clip rectangle is the target's clip, as the window's paint target uses it.
  SDL_Surface* surface = target->surface;
  if (rect == nullptr) {
    SDL_SetClipRect(surface, nullptr);
    return;
  }
  const SDL_Rect& clip = surface->clip_rect;
  int64_t left = rect->left, right = rect->right;
  int64_t top = rect->top, bottom = rect->bottom;
  Narrow(&left, &right, clip.x, int64_t{clip.x} + clip.w);
  Narrow(&top, &bottom, clip.y, int64_t{clip.y} + clip.h);
  SDL_Rect limited{static_cast<int>(left), static_cast<int>(top), 0, 0};
  if (left < right && top < bottom) {
    limited.w = static_cast<int>(right - left);
    limited.h = static_cast<int>(bottom - top);
  }
  // An empty rectangle leaves an empty clip: nothing is drawn at all.
  SDL_SetClipRect(surface, &limited);
}

int32_t TargetBitsPerPixel(DrawTarget* target) {
  if (target == nullptr) return 0;
  if (target->selectedImage != nullptr) return target->selectedImage->bitsPerPixel;
  if (target->bitsPerPixel > 0) return target->bitsPerPixel;
  return target->surface != nullptr ? target->surface->format->BitsPerPixel : 0;
}
