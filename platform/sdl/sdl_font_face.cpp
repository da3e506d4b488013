// Face lookup through fontconfig and the cell-to-em ratio of each face, measured once.
// Needs fontconfig and SDL_ttf only; no SDL video.
#include "platform/sdl/sdl_font_face.h"

#include <SDL_ttf.h>
#include <fontconfig/fontconfig.h>

#include <cstdlib>
#include <map>
#include <optional>
#include <utility>

#include "platform/sdl/sdl_owned.h"

namespace {

// The em height, in pixels, at which a face is measured: large, so that the rounding of its
// ascent and descent to whole pixels hardly shows in the ratio.
constexpr int kCalibrationEm = 10000;

bool StartTtf() { return TTF_WasInit() > 0 || TTF_Init() == 0; }

// The file fontconfig matches for families (tried in order) with weight and slant, and whether
// that file really has them.
std::optional<FontFace> MatchFace(bool bold, bool italic) {
  static const bool started = [] {
    if (FcInit() == FcFalse) return false;
    // Hands fontconfig's caches back at exit, so leak checkers see only the program's own.
    std::atexit([] { FcFini(); });
    return true;
  }();
  if (!started) return std::nullopt;
  FcPattern* pattern = FcPatternCreate();
  if (pattern == nullptr) return std::nullopt;
  // Both names in one pattern: without a face metric-compatible with Times New Roman,
  // fontconfig falls to the "serif" alias rather than to any face at all.
  FcPatternAddString(pattern, FC_FAMILY, reinterpret_cast<const FcChar8*>("Times New Roman"));
  FcPatternAddString(pattern, FC_FAMILY, reinterpret_cast<const FcChar8*>("serif"));
  FcPatternAddInteger(pattern, FC_WEIGHT, bold ? FC_WEIGHT_BOLD : FC_WEIGHT_REGULAR);
  FcPatternAddInteger(pattern, FC_SLANT, italic ? FC_SLANT_ITALIC : FC_SLANT_ROMAN);
  FcPatternAddBool(pattern, FC_SCALABLE, FcTrue);
  FcConfigSubstitute(nullptr, pattern, FcMatchPattern);
  FcDefaultSubstitute(pattern);
  FcResult result = FcResultNoMatch;
  FcPattern* match = FcFontMatch(nullptr, pattern, &result);
  FcPatternDestroy(pattern);
  if (match == nullptr) return std::nullopt;

  std::optional<FontFace> face;
  FcChar8* file = nullptr;
  if (FcPatternGetString(match, FC_FILE, 0, &file) == FcResultMatch && file != nullptr) {
    int weight = FC_WEIGHT_REGULAR;
    int slant = FC_SLANT_ROMAN;
    FcPatternGetInteger(match, FC_WEIGHT, 0, &weight);
    FcPatternGetInteger(match, FC_SLANT, 0, &slant);
    face = FontFace{reinterpret_cast<const char*>(file), bold && weight < FC_WEIGHT_DEMIBOLD,
                    italic && slant == FC_SLANT_ROMAN, 0.0};
  }
  FcPatternDestroy(match);
  return face;
}

// Opens the face at a large em and takes its cell height over that em. false when the file
// cannot be opened as a font.
bool Calibrate(FontFace* face) {
  // With 1 dot per inch the point size is 72 times the em in pixels.
  OwnedTtfFont font(TTF_OpenFontDPI(face->path.c_str(), kCalibrationEm * 72, 1, 1));
  if (!font) return false;
  const int cell = TTF_FontAscent(font.get()) - TTF_FontDescent(font.get());
  if (cell <= 0) return false;
  face->cellPerEm = static_cast<double>(cell) / kCalibrationEm;
  return true;
}

}  // namespace

const FontFace* FindFontFace(bool bold, bool italic) {
  static std::map<std::pair<bool, bool>, std::optional<FontFace>> faces;
  const auto key = std::make_pair(bold, italic);
  auto found = faces.find(key);
  if (found == faces.end()) {
    std::optional<FontFace> face;
    if (StartTtf()) {
      face = MatchFace(bold, italic);
      if (face && !Calibrate(&*face)) face.reset();
    }
    found = faces.emplace(key, std::move(face)).first;
  }
  return found->second ? &*found->second : nullptr;
}
