// CDib: reading a .bmp file whole, checking that its header can be trusted, its palette,
// and drawing it. Depends only on the standard library and the platform seam headers.
#include "render/dib.h"

#include <cstdio>
#include <cstring>
#include <memory>
#include <new>
#include <string>
#include <vector>

#include "platform/copy_text.h"
#include "platform/dib_draw.h"
#include "platform/dib_format.h"
#include "platform/file_system.h"
#include "platform/image_limits.h"
#include "platform/message_box.h"

namespace {

using namespace dib_format;

constexpr uint32_t kFileHeaderSize = 14;
constexpr uint32_t kMaskBlockSize = 12;  // three 32-bit masks behind a 40-byte header

// Sizes and pixel counts beyond the shared image limits are taken as a damaged header: the
// window and the images it is drawn into could not hold such a picture anyway.
//
// A compressed image may describe at most this many pixels per byte of its data present in
// the file: one 2-byte run gives at most 255 pixels, so only skips and an early end of the
// bitmap go beyond it. Its memory (pixels drawn, images and window) is thus tied to the file.
constexpr uint64_t kMaxRlePixelsPerByte = 128;
// ... except that any compressed image up to this many pixels (2048 x 2048) is accepted, for
// pictures left mostly to skips.
constexpr uint64_t kRleFreePixels = uint64_t{4} * 1024 * 1024;
// Colour tables are limited by the 16-bit entry count of a logical palette.
constexpr uint64_t kMaxColors = 65535;
// The info block needs a header, masks and at most kMaxColors entries (256 KiB); a larger
// one is a damaged pixel offset, not room for a real image's extras.
constexpr uint32_t kMaxInfoBlockSize = 16 * 1024 * 1024;
// Pixel data that a file may declare: the rows of the largest image at 32 bits per pixel.
constexpr uint64_t kMaxPixelBytes = static_cast<uint64_t>(kMaxImagePixels) * 4;
// Pixel data cut short is accepted, the rest reading as zero bytes, while it is declared this
// large at most; beyond that the file must hold at least half of it, so that a small file
// cannot make the program hold a large block.
constexpr uint64_t kShortDataFreeBytes = uint64_t{64} * 1024 * 1024;

// The facts of an info block that loading and drawing rely on, whatever the header version.
struct HeaderFacts {
  uint32_t headerSize;
  int64_t width;
  int64_t height;  // negative for top-down rows
  uint32_t planes;
  uint32_t bitCount;
  uint32_t compression;
  uint32_t sizeImage;
  uint32_t colorsUsed;
  uint32_t tableOffset;  // where the colour table starts in the info block
  uint32_t entrySize;    // 3 for the 12-byte core header, else 4
};

bool IsKnownHeaderSize(uint32_t size) {
  switch (size) {
    case kCoreHeaderSize:
    case kInfoHeaderSize:
    case 52:   // with the three colour masks
    case 56:   // with the alpha mask too
    case 108:  // version 4
    case 124:  // version 5
      return true;
    default:
      return false;
  }
}

// Reads the header at the start of an info block of size bytes; false when its size is not
// one of the known versions or it does not fit.
bool ReadHeader(const uint8_t* info, uint32_t size, HeaderFacts* facts) {
  if (size < 4) return false;
  const uint32_t headerSize = ReadU32(info);
  if (!IsKnownHeaderSize(headerSize) || headerSize > size) return false;
  HeaderFacts f{};
  f.headerSize = headerSize;
  if (headerSize == kCoreHeaderSize) {
    f.width = ReadU16(info + 4);
    f.height = ReadU16(info + 6);
    f.planes = ReadU16(info + 8);
    f.bitCount = ReadU16(info + 10);
    f.compression = kCompressionRgb;
    f.tableOffset = kCoreHeaderSize;
    f.entrySize = 3;
  } else {
    f.width = static_cast<int32_t>(ReadU32(info + 4));
    f.height = static_cast<int32_t>(ReadU32(info + 8));
    f.planes = ReadU16(info + 12);
    f.bitCount = ReadU16(info + 14);
    f.compression = ReadU32(info + 16);
    f.sizeImage = ReadU32(info + 20);
    f.colorsUsed = ReadU32(info + 32);
    f.tableOffset = headerSize;
    if (headerSize == kInfoHeaderSize && f.compression == kCompressionBitFields) {
      f.tableOffset += kMaskBlockSize;
    }
    f.entrySize = 4;
  }
  *facts = f;
  return true;
}

bool BitCountFits(const HeaderFacts& f) {
  if (f.headerSize == kCoreHeaderSize) {
    return f.bitCount == 1 || f.bitCount == 4 || f.bitCount == 8 || f.bitCount == 24;
  }
  switch (f.compression) {
    case kCompressionRgb:
      return f.bitCount == 1 || f.bitCount == 4 || f.bitCount == 8 || f.bitCount == 16 ||
             f.bitCount == 24 || f.bitCount == 32;
    case kCompressionRle8:
      return f.bitCount == 8;
    case kCompressionRle4:
      return f.bitCount == 4;
    case kCompressionBitFields:
      return f.bitCount == 16 || f.bitCount == 32;
    default:  // JPEG, PNG and the rest cannot be drawn here
      return false;
  }
}

bool IsCompressed(const HeaderFacts& f) {
  return f.compression == kCompressionRle8 || f.compression == kCompressionRle4;
}

// Colour-table entries in use: the header's count, else the full table of the bit count.
uint64_t ColorCountOf(const HeaderFacts& f) {
  if (f.colorsUsed != 0) return f.colorsUsed;
  return f.bitCount <= 8 ? (uint64_t{1} << f.bitCount) : 0;
}

// Bytes of the pixel rows: rows padded to whole 32-bit words.
uint64_t RowBytesOf(const HeaderFacts& f) {
  return (static_cast<uint64_t>(f.bitCount) * static_cast<uint64_t>(f.width) + 31) / 32 * 4;
}

int64_t RowCountOf(const HeaderFacts& f) { return f.height < 0 ? -f.height : f.height; }

// Whether the header describes something this program can draw and the info block holds
// everything the header points at.
bool HeaderIsTrusted(const HeaderFacts& f, uint32_t infoSize) {
  if (f.planes != 1 || !BitCountFits(f)) return false;
  if (f.width <= 0 || f.width > kMaxImageSide || f.height == 0 || RowCountOf(f) > kMaxImageSide ||
      f.width * RowCountOf(f) > kMaxImagePixels) {
    return false;
  }
  // Compressed rows are always stored bottom-up.
  if (f.height < 0 && IsCompressed(f)) return false;
  const uint64_t colors = ColorCountOf(f);
  if (colors > kMaxColors) return false;
  return f.tableOffset + colors * f.entrySize <= infoSize;
}

// Bytes to hold for the pixel rows, given the bytes the file has behind the info block;
// 0 when the header promises more than may be held. What the file lacks reads as zeros.
uint64_t PixelBytesToHold(const HeaderFacts& f, uint64_t present) {
  uint64_t size;
  if (IsCompressed(f)) {
    size = f.sizeImage != 0 ? f.sizeImage : present;
    // Judged by the data present: zeros added behind it describe no pixels.
    const uint64_t data = size < present ? size : present;
    const uint64_t pixels = static_cast<uint64_t>(f.width) * static_cast<uint64_t>(RowCountOf(f));
    if (pixels > kRleFreePixels && pixels > data * kMaxRlePixelsPerByte) return 0;
  } else {
    // The drawing reads every row, so the buffer holds them all even when the header's
    // own size is smaller.
    const uint64_t rows = RowBytesOf(f) * static_cast<uint64_t>(RowCountOf(f));
    size = f.sizeImage > rows ? f.sizeImage : rows;
  }
  if (size == 0 || size > kMaxPixelBytes) return 0;
  if (size > kShortDataFreeBytes && size > 2 * present) return 0;
  return size;
}

// A block of size bytes, or null where there is no room for it (nothing is thrown across a
// load).
std::unique_ptr<uint8_t[]> Allocate(size_t size) {
  return std::unique_ptr<uint8_t[]>(new (std::nothrow) uint8_t[size]);
}

struct FileCloser {
  void operator()(std::FILE* file) const { std::fclose(file); }
};
using FilePtr = std::unique_ptr<std::FILE, FileCloser>;

// Size of an open file, -1 when it cannot be told.
int64_t MeasureFile(std::FILE* file, const FileProbeResult& probe) {
  if (probe.sizeKnown) return static_cast<int64_t>(probe.size);
  if (std::fseek(file, 0, SEEK_END) != 0) return -1;
  const long end = std::ftell(file);
  if (end < 0 || std::fseek(file, 0, SEEK_SET) != 0) return -1;
  return end;
}

// How a file that cannot be opened is named: its full path, or the name as given when that
// cannot be formed (cut to a path's size either way).
std::string NameOfMissing(const char* path) {
  char full[260];
  CopyText(full, sizeof full, path);
  char resolved[260];
  const uint32_t length = GetFullPath(path, resolved, sizeof resolved);
  if (length > 0 && length < sizeof resolved) CopyText(full, sizeof full, resolved);
  return full;
}

}  // namespace

CDib::CDib() : colorTable(nullptr), infoSize(0), imageSize(0), colorCount(0), palette(nullptr) {
  ReleaseAll();
}

CDib::~CDib() { ReleaseAll(); }

void CDib::ReleaseAll() {
  info.reset();
  bits.reset();
  if (palette != nullptr) DeletePalette(palette);
  colorTable = nullptr;
  infoSize = 0;
  imageSize = 0;
  colorCount = 0;
  palette = nullptr;
}

int CDib::LoadFromFile(const char* path) {
  return LoadFromFile(path, [](const LoadFinding& finding) { ReportError(finding.text.c_str()); });
}

int CDib::LoadFromFile(const char* path, const FindingSink& findings) {
  if (path == nullptr) path = "";
  const auto report = [&](const std::string& text) {
    findings(LoadFinding{LoadFindingCode::kBitmapInvalid, path, 0, Severity::kError, text});
  };
  // Names from definition files may use '\' as a separator; '/' serves on every system.
  std::string name(path);
  for (char& c : name)
    if (c == '\\') c = '/';
  // Only a file on disk is read: a FIFO or device named as a background must not make the
  // program wait. Such a name reads as one that cannot be opened.
  const FileProbeResult probe = ProbeFile(path);
  FilePtr file(probe.opened ? OpenFileForReading(name.c_str(), nullptr) : nullptr);
  if (!file) {
    const std::string missing = NameOfMissing(path);
    findings(LoadFinding{LoadFindingCode::kBitmapNotFound, missing, 0, Severity::kError,
                         "File not found - " + missing});
    return 0;
  }

  ReleaseAll();
  uint8_t fileHeader[kFileHeaderSize];
  if (std::fread(fileHeader, 1, sizeof fileHeader, file.get()) != sizeof fileHeader) {
    report("read error 1");
    return 0;
  }
  if (ReadU16(fileHeader) != 0x4D42) {  // "BM"
    report("Invalid bitmap file");
    return 0;
  }
  const int64_t fileSize = MeasureFile(file.get(), probe);
  if (fileSize < 0 || std::fseek(file.get(), kFileHeaderSize, SEEK_SET) != 0) {
    report("Read error 1");
    return 0;
  }
  // The info block runs from the end of the file header to the pixel rows.
  const uint32_t offBits = ReadU32(fileHeader + 10);
  if (offBits < kFileHeaderSize + kCoreHeaderSize || offBits > fileSize ||
      offBits - kFileHeaderSize > kMaxInfoBlockSize) {
    report("Invalid bitmap file");
    return 0;
  }
  const uint32_t blockSize = offBits - kFileHeaderSize;
  info = Allocate(blockSize);
  if (info == nullptr || std::fread(info.get(), 1, blockSize, file.get()) != blockSize) {
    report("Read error 1");
    ReleaseAll();
    return 0;
  }
  infoSize = blockSize;

  HeaderFacts facts;
  uint64_t size = 0;
  if (ReadHeader(info.get(), infoSize, &facts) && HeaderIsTrusted(facts, infoSize)) {
    size = PixelBytesToHold(facts, static_cast<uint64_t>(fileSize) - offBits);
  }
  if (size == 0) {
    report("Invalid bitmap file");
    ReleaseAll();
    return 0;
  }
  colorTable = info.get() + facts.tableOffset;

  imageSize = static_cast<uint32_t>(size);
  bits = Allocate(imageSize);
  const uint64_t present = static_cast<uint64_t>(fileSize) - offBits;
  const size_t wanted = static_cast<size_t>(size < present ? size : present);
  if (bits == nullptr || std::fread(bits.get(), 1, wanted, file.get()) != wanted) {
    report("Read error 1");
    ReleaseAll();
    return 0;
  }
  std::memset(bits.get() + wanted, 0, imageSize - wanted);

  colorCount = static_cast<int32_t>(ColorCountOf(facts));
  RefreshPalette();
  return 1;
}

DibExtent CDib::ImageExtent() const {
  HeaderFacts facts;
  if (info == nullptr || !ReadHeader(info.get(), infoSize, &facts)) return DibExtent{0, 0};
  return DibExtent{static_cast<int32_t>(facts.width), static_cast<int32_t>(RowCountOf(facts))};
}

int CDib::ApplyPalette(DrawTarget* target, int forceBackground) {
  if (palette == nullptr) return 0;
  SelectPaletteInto(target, palette, forceBackground);
  return static_cast<int>(RealizePaletteOf(target));
}

void CDib::PaletteToBackground(DrawTarget* target) {
  if (palette != nullptr) SelectPaletteInto(target, palette, 1);
}

int CDib::PaintImage(DrawTarget* target, int xDest, int yDest, uint32_t width, uint32_t height,
                     int xSrc, int ySrc) {
  if (info == nullptr) return 0;
  // Every row, counted as a positive number also for top-down images.
  const uint32_t rows = static_cast<uint32_t>(ImageExtent().height);
  return PaintScanRange(target, xDest, yDest, width, height, xSrc, ySrc, 0, rows);
}

int CDib::PaintScanRange(DrawTarget* target, int xDest, int yDest, uint32_t width, uint32_t height,
                         int xSrc, int ySrc, uint32_t startScan, uint32_t scanCount) {
  if (info == nullptr) return 0;
  DrawDibBits(target, xDest, yDest, width, height, xSrc, ySrc, startScan, scanCount, bits.get(),
              imageSize, info.get(), infoSize);
  return 1;
}

int CDib::BuildPalette(PaletteHandle* out) const {
  if (colorCount <= 0 || colorTable == nullptr || info == nullptr) return 0;
  const size_t entrySize = ReadU32(info.get()) == kCoreHeaderSize ? 3 : 4;
  std::vector<PaletteColor> colors(static_cast<size_t>(colorCount));
  for (size_t i = 0; i < colors.size(); ++i) {
    const uint8_t* entry = colorTable + i * entrySize;  // blue, green, red[, reserved]
    colors[i] = PaletteColor{entry[2], entry[1], entry[0], 0};
  }
  *out = CreatePaletteFrom(colors.data(), colorCount);
  return 1;
}

void CDib::RefreshPalette() {
  if (palette != nullptr) DeletePalette(palette);
  palette = nullptr;
  BuildPalette(&palette);
}

void CDib::ReportError(const char* text) { ShowMessageBox(nullptr, text, "class CDib", MessageOk); }
