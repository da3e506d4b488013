// `quorel-tool render --all`: every page of every level a menu reaches, per country and release,
// as PNG files, and a contact sheet of them all. Core and headless backend (pixels drawn by the
// build's own drawing code).
#pragma once

#include <string>
#include <vector>

// The release a name stands for ("WINXP", "WIN98SE", ... and "OTHER" for none); -1 if none.
int ReleaseVariant(const std::string& name);

// Renders into outDir (made when missing); releases empty: the tool's own platform's. 0 when
// every page was drawn, 1 when some level or background was missing (they are gaps on the
// sheet). Throws std::runtime_error when outDir cannot be written.
int RenderAll(const std::string& file, const std::string& outDir,
              const std::vector<std::string>& releases);

// Side of the square a thumbnail fits in, and the factor a picture of width x height is scaled
// down by to fit (each thumbnail pixel is the rounded mean of a factor x factor block).
constexpr int kThumbnailSide = 160;
int ThumbnailFactor(int width, int height);

// Top left corner of thumbnail index on a contact sheet of count thumbnails.
struct SheetPoint {
  int x;
  int y;
};
SheetPoint SheetCell(int index, int count);
