// Fonts, the hint line, the title rectangle and image sizes from a settings record.
// Core headers and platform/*.h only.
#include "render/picture_layout.h"

#include "platform/draw.h"
#include "platform/geometry.h"

FontHandle MakeFont(const TextStyle& style) {
  FontRequest request;
  request.height = style.size;
  request.weight = (style.flags & StyleBold) ? FontWeightBold : FontWeightNormal;
  request.italic = (style.flags & StyleItalic) ? 1 : 0;
  request.underline = (style.flags & StyleUnderline) ? 1 : 0;
  request.quality = (style.flags & StyleAntiAlias) ? FontQualityAntialiased : FontQualityPlain;
  return CreateFontFor(request);
}

Rect HintRectFor(const MenuSettings& settings, int32_t width, int32_t height) {
  const int32_t* hintArea = settings.hintArea;
  int32_t x = 0;
  int32_t y = 0;
  int32_t w = 0;
  int32_t h = 0;
  if (hintArea[0] < 0 || hintArea[1] < 0 || hintArea[3] < 0) {
    int64_t lineHeight = int64_t{settings.hintStyle.size} + 1;
    if (settings.hintStyle.flags & StyleUnderline) ++lineHeight;
    x = 10;
    y = Wrap(int64_t{height} - lineHeight - 8);
    w = Wrap(int64_t{width} - 20);
    h = Wrap(lineHeight);
  } else {
    x = hintArea[0];
    y = hintArea[1];
    if (hintArea[2] >= 0) {
      w = Wrap(int64_t{hintArea[2]} - hintArea[0] + 1);
      h = Wrap(int64_t{hintArea[3]} - hintArea[1] + 1);
    } else {
      w = Wrap(int64_t{width} - hintArea[0] + 1);
      h = Wrap(int64_t{height} - hintArea[1] + 1);
    }
  }
  return Rect{x, y, Wrap(int64_t{x} + w), Wrap(int64_t{y} + h)};
}

void PlaceTitle(MenuSettings* settings, FontHandle titleFont, DrawTarget* target, int32_t width) {
  int32_t* titleArea = settings->titleArea;
  if (titleArea[0] >= 0 && titleArea[1] >= 0 && titleArea[2] >= 0 && titleArea[3] >= 0) return;
  const FontHandle previous = SelectFont(target, titleFont);
  TextExtent measured{0, 0};
  if (!MeasureText(target, settings->titleText, TitleCount(*settings), &measured)) {
    measured = TextExtent{0, 0};
  }
  SelectFont(target, previous);
  const int64_t cx = int64_t{measured.cx} + 4;
  const int64_t cy = measured.cy;
  titleArea[0] = Wrap((int64_t{width} - cx) / 2);
  titleArea[1] = 20;
  titleArea[2] = Wrap(int64_t{titleArea[0]} + cx - 1);
  titleArea[3] = Wrap(cy + 20 + ((settings->titleStyle.flags & StyleUnderline) ? 1 : 0));
}

int32_t TitleCount(const MenuSettings& settings) {
  const int32_t limit = static_cast<int32_t>(sizeof settings.titleText) - 1;
  if (settings.titleLength < 0) return 0;
  return settings.titleLength < limit ? settings.titleLength : limit;
}

TextDraw TitleDrawOf(const MenuSettings& settings) {
  const int32_t count = TitleCount(settings);
  const int32_t* area = settings.titleArea;
  return TextDraw{settings.drawTitle != 0 && count != 0 ? settings.titleText : nullptr, count,
                  Rect{area[0], area[1], area[2], area[3]},
                  (settings.titleStyle.flags & StyleShadow) != 0};
}

uint64_t ImageBytes(int32_t width, int32_t height, int32_t bitsPerPixel) {
  if (width <= 0 || height <= 0 || bitsPerPixel <= 0) return 0;
  const uint64_t rowBytes = (uint64_t(width) * uint64_t(bitsPerPixel) + 31) / 32 * 4;
  return rowBytes * uint64_t(height);
}
