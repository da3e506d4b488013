// Face lookup through fontconfig and the cell-to-em ratio of each face, measured once.
// Needs fontconfig and SDL_ttf only; no SDL video.
#include "platform/sdl/sdl_font_face.h"

#include <SDL_ttf.h>
#include <fontconfig/fontconfig.h>

#include <cstdlib>
#include <map>
#include <memory>
#include <optional>
#include <utility>
#include <vector>

#include "platform/sdl/sdl_owned.h"

namespace {

// The em height, in pixels, at which a face is measured: large, so that the rounding of its
// ascent and descent to whole pixels hardly shows in the ratio.
constexpr int kCalibrationEm = 10000;

bool StartTtf() { return TTF_WasInit() > 0 || TTF_Init() == 0; }

// The file fontconfig matches for families (tried in order) with weight and slant, and whether
// that file really has them.
bool StartFontconfig() {
  static const bool started = [] {
    if (FcInit() == FcFalse) return false;
    // Hands fontconfig's caches back at exit, so leak checkers see only the program's own.
    std::atexit([] { FcFini(); });
    return true;
  }();
  return started;
}

std::optional<FontFace> MatchFace(bool bold, bool italic) {
  if (!StartFontconfig()) return std::nullopt;
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
    int index = 0;
    FcPatternGetInteger(match, FC_SLANT, 0, &slant);
    FcPatternGetInteger(match, FC_INDEX, 0, &index);
    face = FontFace{reinterpret_cast<const char*>(file), index, bold && weight < FC_WEIGHT_DEMIBOLD,
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

// The face fontconfig matches for a serif face that has code; none when the match lacks it
// (fontconfig then found no face with it at all).
std::optional<FontFace> MatchFallback(uint32_t code) {
  if (!StartFontconfig()) return std::nullopt;
  FcPattern* pattern = FcPatternCreate();
  FcCharSet* wanted = FcCharSetCreate();
  std::optional<FontFace> face;
  if (pattern != nullptr && wanted != nullptr && FcCharSetAddChar(wanted, code) == FcTrue) {
    FcPatternAddString(pattern, FC_FAMILY, reinterpret_cast<const FcChar8*>("serif"));
    FcPatternAddCharSet(pattern, FC_CHARSET, wanted);
    FcPatternAddBool(pattern, FC_SCALABLE, FcTrue);
    FcConfigSubstitute(nullptr, pattern, FcMatchPattern);
    FcDefaultSubstitute(pattern);
    FcResult result = FcResultNoMatch;
    FcPattern* match = FcFontMatch(nullptr, pattern, &result);
    FcChar8* file = nullptr;
    FcCharSet* has = nullptr;
    int index = 0;
    if (match != nullptr && FcPatternGetString(match, FC_FILE, 0, &file) == FcResultMatch &&
        file != nullptr && FcPatternGetCharSet(match, FC_CHARSET, 0, &has) == FcResultMatch &&
        FcCharSetHasChar(has, code) == FcTrue) {
      FcPatternGetInteger(match, FC_INDEX, 0, &index);
      face = FontFace{reinterpret_cast<const char*>(file), index, false, false, 0.0};
    }
    if (match != nullptr) FcPatternDestroy(match);
  }
  if (wanted != nullptr) FcCharSetDestroy(wanted);
  if (pattern != nullptr) FcPatternDestroy(pattern);
  return face;
}

}  // namespace

const FontFace* FallbackFaceFor(uint32_t code) {
  // Budget: one entry per character asked for (the characters of the menus shown), each naming
  // one of the few faces found.
  static std::map<uint32_t, const FontFace*> chosen;
  static std::vector<std::unique_ptr<FontFace>> faces;
  auto found = chosen.find(code);
  if (found != chosen.end()) return found->second;
  const FontFace* face = nullptr;
  if (std::optional<FontFace> match = MatchFallback(code)) {
    for (const auto& known : faces) {
      if (known->path == match->path && known->index == match->index) face = known.get();
    }
    if (face == nullptr) {
      faces.push_back(std::make_unique<FontFace>(std::move(*match)));
      face = faces.back().get();
    }
  }
  chosen.emplace(code, face);
  return face;
}

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
